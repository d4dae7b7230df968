// Start-up and large-file figures of the whole program, in one process:
//   - from QApplication creation to the main window's first paint;
//   - opening a 20 MB / 200,000-line file into a new tab until it is painted.
// Prints figures; run under Xvfb or with QT_QPA_PLATFORM=offscreen.

#include "app/forms.h"
#include "app/tfp.h"
#include "documents/filecommands.h"
#include "editor/tredit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

// Waits until widget has painted once after arm().
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    void arm() { m_painted = false; }
    bool waitPainted(int timeoutMs = 30000)
    {
        QElapsedTimer t;
        t.start();
        while (!m_painted && t.elapsed() < timeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == m_widget && e->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    QWidget* m_widget;
    bool m_painted = false;
};

QString makeLargeFile(const QString& dir)
{
    const QString path = dir + QStringLiteral("/text-20mb.txt");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QByteArray line;
    for (int i = 0; i < 200000; ++i) {
        line = "Line " + QByteArray::number(i) + " - the quick brown fox jumps over the lazy dog; lorem ipsum dolor sit amet, consectetur.";
        line.append(QByteArray(104 - line.size() > 0 ? 104 - line.size() : 0, 'x'));
        line.append("\r\n");
        f.write(line);
    }
    return path;
}

}

int main(int argc, char** argv)
{
    QElapsedTimer total;
    total.start();
    QApplication app(argc, argv);
    const qint64 appCreated = total.elapsed();
    createForms({});
    PaintWatch windowPaint(Fp);
    const bool painted = windowPaint.waitPainted();
    const qint64 firstPaint = total.elapsed();
    std::printf("platform                         %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("QApplication created             %6lld ms\n", static_cast<long long>(appCreated));
    std::printf("main window first paint          %6lld ms%s\n", static_cast<long long>(firstPaint),
                painted ? "" : " (no paint seen)");

    QTemporaryDir dir;
    const QString path = makeLargeFile(dir.path());
    QFile probe(path);
    std::printf("test file                        %6.1f MB, 200000 lines\n", double(probe.size()) / 1e6);

    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        DocumentTable& docs = Fp->documents();
        docs.New();
        docs.LoadingDocument = true;
        FileCommands files(docs, *Fp);
        files.readFileIntoDocument(docs.CurrentSlot, path);
        files.SetDocumentFileName(docs.CurrentSlot, path);
        docs.LoadingDocument = false;
        const qint64 loaded = t.elapsed();
        PaintWatch editorPaint(docs.currentEditor()->viewport());
        editorPaint.waitPainted();
        std::printf("open 20 MB run %d: loaded %5lld ms, shown %5lld ms\n", run + 1,
                    static_cast<long long>(loaded), static_cast<long long>(t.elapsed()));
        Fp->mnuCloseAllClick();
    }
    destroyForms();
    return 0;
}
