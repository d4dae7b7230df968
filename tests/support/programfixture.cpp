#include "support/programfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>

void ProgramTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    // The forms save their settings when destroyed: each test keeps them in
    // a folder of its own, shared only by the restarts within the test.
    m_previousConfigHome = qgetenv("XDG_CONFIG_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    // So are the recovery journals: a restart within the test finds those
    // its documents left.
    m_previousStateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", stateHome().toLocal8Bit());
    start();
}

void ProgramTest::TearDown()
{
    stop();
    qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    qputenv("XDG_STATE_HOME", m_previousStateHome);
}

QString ProgramTest::configHome() const { return m_dir.path() + QStringLiteral("/config"); }

QString ProgramTest::stateHome() const { return m_dir.path() + QStringLiteral("/state"); }

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
