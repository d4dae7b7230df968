#include "support/programfixture.h"

#include <QApplication>
#include <QFile>

void ProgramTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    start();
}

void ProgramTest::TearDown() { stop(); }

void ProgramTest::start(const QStringList& arguments)
{
    stop();
    createForms(arguments, true);
    m_terminated = 0;
    Fp->setTerminator([this] { ++m_terminated; });
    QApplication::processEvents();
}

void ProgramTest::stop()
{
    if (Fp)
        destroyForms();
}

QString ProgramTest::tempPath(const QString& name) const { return m_dir.path() + u'/' + name; }

QString ProgramTest::writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = tempPath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}
