// The benchmark report: one table of the figures users feel, each measured
// in a process of its own so that its peak memory is its own.
//
//   scrivo_report                 generate the data, run every row, print the table
//   scrivo_report --row NAME DIR  measure one row (used by the above)
//   scrivo_report --huge [--runs N]  also the rows of a 1 GB file (written
//                                 into the temporary folder: 1 GB of disk)
//
// Run it on a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.

#include "app/forms.h"
#include "app/tfp.h"
#include "documents/filecommands.h"
#include "editor/tredit.h"
#include "explorer/listview.h"
#include "search/searchcommands.h"
#include "search/tfind.h"
#include "tabcontrol/extpagecontroltag.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int BigLines = 200000;
constexpr int FolderFiles = 100000;
constexpr int ChurnFiles = 10000;
const char* const NeedleWord = "zanzibar";

double monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Runs events until widget has painted once.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool wait(int timeoutMs = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (!m_painted && t.elapsed() < timeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    bool m_painted = false;
};

// --- data -------------------------------------------------------------------

void writeBigText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QByteArray line;
    for (int i = 0; i < BigLines; ++i) {
        line = "Line " + QByteArray::number(i)
            + " - the quick brown fox jumps over the lazy dog; lorem ipsum dolor sit amet, consectetur";
        line.append(QByteArray(std::max<qsizetype>(0, 100 - line.size()), '.'));
        if (i == BigLines - 1)
            line.append(' ').append(NeedleWord);
        line.append("\r\n");
        f.write(line);
    }
}

// 1 GB in lines of 100 bytes, the needle at the very end.
void writeHugeText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    constexpr qint64 Size = qint64(1) << 30;
    QByteArray block;
    for (int i = 0; block.size() < (1 << 20); ++i) {
        QByteArray line = "Line " + QByteArray::number(i) + " - the quick brown fox jumps over the lazy dog; lorem";
        line.append(QByteArray(98 - line.size(), '.')).append("\r\n");
        block.append(line);
    }
    qint64 written = 0;
    while (written + block.size() <= Size - 64)
        written += f.write(block);
    f.write(QByteArray("last line ") + NeedleWord + "\r\n");
}

void writeOneLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    const QByteArray words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu ";
    for (qsizetype written = 0; written < 4 * 1000 * 1000; written += words.size())
        f.write(words);
}

void makeFolder(const QString& folder, const QString& prefix, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(folder + u'/' + prefix + QString::number(i) + QStringLiteral(".txt"));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

// --- rows -------------------------------------------------------------------

struct Row {
    double ms = -1;
    QString note;
};

// From the process's start (the parent's clock before it started us) to
// the main window's first paint.
Row startup(const QStringList& arguments, double launchedAt)
{
    createForms(arguments);
    PaintWatch window(Fp);
    if (!arguments.isEmpty())
        PaintWatch(Fp->documents().currentEditor()->viewport()).wait();
    window.wait();
    return {monotonicMs() - launchedAt, {}};
}

// New, read, name and paint a file, as Open does after its dialog.
Row open(const QString& path)
{
    createForms({});
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    DocumentTable& docs = Fp->documents();
    Fp->files().openInNewDocument(path);
    PaintWatch(docs.currentEditor()->viewport()).wait();
    return {double(t.nsecsElapsed()) / 1e6, {}};
}

// One character typed in the middle of editor's text, until painted.
Row typeInTheMiddle(TREdit* editor)
{
    editor->setFocus();
    editor->setSelStart(editor->textLength() / 2);
    QApplication::processEvents();
    const int lengthBefore = editor->textLength();
    PaintWatch painted(editor->viewport());
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(editor, &release);
    painted.wait();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return {ms, editor->textLength() == lengthBefore + 1 ? QString() : QStringLiteral("not typed!")};
}

// A file opened and read to its end in the background.
TREdit* openWhole(const QString& path)
{
    open(path);
    TREdit* editor = Fp->documents().currentEditor();
    while (editor->isLoading())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    return editor;
}

// One character typed in the middle of a file read whole: a key typed
// while the file is still being read waits for the rest first.
Row keystroke(const QString& path) { return typeInTheMiddle(openWhole(path)); }

// Ctrl+End in a file read whole, until painted.
Row endOfWhole(const QString& path)
{
    TREdit* editor = openWhole(path);
    editor->setFocus();
    QApplication::processEvents();
    PaintWatch painted(editor->viewport());
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(editor, &press);
    painted.wait();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return {ms, editor->selStart() == editor->textLength() ? QString() : QStringLiteral("not at the end!")};
}

// Find of the word at the very end of a file read whole, until the
// selection is painted.
Row findInWhole(const QString& path)
{
    TREdit* editor = openWhole(path);
    Find->zeFindMot->setText(QString::fromLatin1(NeedleWord));
    PaintWatch painted(editor->viewport());
    QElapsedTimer t;
    t.start();
    Fp->search().runFind();
    painted.wait();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return {ms, editor->selLength() > 0 ? QString() : QStringLiteral("not found!")};
}

Row save(const QString& path, const QString& dir)
{
    const QString copy = dir + QStringLiteral("/saved-copy.txt");
    QFile::remove(copy);
    QFile::copy(path, copy);
    open(copy);
    DocumentTable& docs = Fp->documents();
    docs.setModified(docs.CurrentSlot(), true);
    QElapsedTimer t;
    t.start();
    Fp->files().SaveDocument(docs.CurrentSlot());
    return {double(t.nsecsElapsed()) / 1e6, {}};
}

Row find(const QString& path)
{
    open(path);
    Find->zeFindMot->setText(QString::fromLatin1(NeedleWord));
    TREdit* editor = Fp->documents().currentEditor();
    PaintWatch painted(editor->viewport());
    QElapsedTimer t;
    t.start();
    Fp->search().runFind();
    painted.wait();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return {ms, editor->selLength() > 0 ? QString() : QStringLiteral("not found!")};
}

Row showFolder(const QString& folder)
{
    createForms({});
    QApplication::processEvents();
    TSxExplorerListView* list = Fp->listviewFp;
    Fp->extpageExplorateur->setCurrentWidget(Fp->tabsheetFpExplorateurFiles);
    QApplication::processEvents();
    PaintWatch painted(list->viewport());
    QElapsedTimer t;
    t.start();
    list->setDirectory(folder);
    list->viewport()->update();
    painted.wait();
    return {double(t.nsecsElapsed()) / 1e6, QStringLiteral("%1 rows").arg(list->ItemDataList().count())};
}

// Files created by another thread in the shown folder: time from the last
// creation until the list holds them all, and the longest stall of the
// event loop meanwhile.
Row refreshAfterChurn(const QString& folder)
{
    createForms({});
    QDir().mkpath(folder);
    TSxExplorerListView* list = Fp->listviewFp;
    Fp->extpageExplorateur->setCurrentWidget(Fp->tabsheetFpExplorateurFiles);
    list->setDirectory(folder);
    QApplication::processEvents();
    QThread::msleep(300); // the watchers are armed
    QApplication::processEvents();

    double lastCreated = 0;
    std::unique_ptr<QThread> creator(QThread::create([&] {
        makeFolder(folder, QStringLiteral("churn"), ChurnFiles);
        lastCreated = monotonicMs();
    }));
    double longestGap = 0;
    double last = monotonicMs();
    creator->start();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000 && (list->ItemDataList().count() < ChurnFiles || !creator->isFinished())) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        const double now = monotonicMs();
        longestGap = std::max(longestGap, now - last);
        last = now;
    }
    creator->wait();
    return {monotonicMs() - lastCreated, QStringLiteral("longest UI stall %1 ms").arg(longestGap, 0, 'f', 0)};
}

int runRow(const QString& name, const QString& dir, double launchedAt)
{
    const QString big = dir + QStringLiteral("/text-20mb.txt");
    const QString line = dir + QStringLiteral("/oneline-4mb.txt");
    static const std::map<QString, std::function<Row()>> rows{
        {QStringLiteral("startup"), [&] { return startup({}, launchedAt); }},
        {QStringLiteral("startup-20mb"), [&] { return startup({big}, launchedAt); }},
        {QStringLiteral("open-20mb"), [&] { return open(big); }},
        {QStringLiteral("open-4mb-line"), [&] { return open(line); }},
        {QStringLiteral("key-20mb"), [&] { return keystroke(big); }},
        {QStringLiteral("key-4mb-line"), [&] { return keystroke(line); }},
        {QStringLiteral("save-20mb"), [&] { return save(big, dir); }},
        {QStringLiteral("find-20mb"), [&] { return find(big); }},
        {QStringLiteral("folder-100k"), [&] { return showFolder(dir + QStringLiteral("/folder-100k")); }},
        {QStringLiteral("churn-10k"), [&] { return refreshAfterChurn(dir + QStringLiteral("/churn")); }},
        {QStringLiteral("key-1gb"), [&] { return keystroke(dir + QStringLiteral("/text-1gb.txt")); }},
        {QStringLiteral("end-1gb"), [&] { return endOfWhole(dir + QStringLiteral("/text-1gb.txt")); }},
        {QStringLiteral("find-1gb"), [&] { return findInWhole(dir + QStringLiteral("/text-1gb.txt")); }},
    };
    const auto it = rows.find(name);
    if (it == rows.end())
        return 2;
    const Row row = it->second();
    std::printf("ms=%.1f\nhwm_kb=%ld\nnote=%s\n", row.ms, peakResidentKb(), qPrintable(row.note));
    std::fflush(stdout);
    // Skip the forms' teardown: it is not part of any figure, and the
    // settings it would write are of no use here.
    std::_Exit(0);
}

struct Measured {
    Measured(QString l, QString n) : label(std::move(l)), name(std::move(n)) {}
    QString label;
    QString name;
    QList<double> ms;
    long hwmKb = -1;
    QString note;
};

int runReport(const QString& self, int runs, bool huge)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/scrivo-report-XXXXXX"));
    std::fprintf(stderr, "generating data in %s ...\n", qPrintable(dir.path()));
    // The rows never touch the user's own settings.
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    writeBigText(dir.filePath(QStringLiteral("text-20mb.txt")));
    writeOneLine(dir.filePath(QStringLiteral("oneline-4mb.txt")));
    makeFolder(dir.filePath(QStringLiteral("folder-100k")), QStringLiteral("file"), FolderFiles);

    QList<Measured> table{
        {QStringLiteral("Start-up to first paint, no file"), QStringLiteral("startup")},
        {QStringLiteral("Start-up to first paint, 20 MB file"), QStringLiteral("startup-20mb")},
        {QStringLiteral("Open 20 MB / 200,000 lines (shown)"), QStringLiteral("open-20mb")},
        {QStringLiteral("Open 4 MB single line (shown)"), QStringLiteral("open-4mb-line")},
        {QStringLiteral("One keystroke, 20 MB document"), QStringLiteral("key-20mb")},
        {QStringLiteral("One keystroke, 4 MB single line"), QStringLiteral("key-4mb-line")},
        {QStringLiteral("Save 20 MB document"), QStringLiteral("save-20mb")},
        {QStringLiteral("Find word at the end of 20 MB"), QStringLiteral("find-20mb")},
        {QStringLiteral("Show 100,000-file folder (first screen)"), QStringLiteral("folder-100k")},
        {QStringLiteral("Refresh after 10,000 files created"), QStringLiteral("churn-10k")},
    };
    if (huge) {
        writeHugeText(dir.filePath(QStringLiteral("text-1gb.txt")));
        table.append({QStringLiteral("One keystroke mid 1 GB (read whole)"), QStringLiteral("key-1gb")});
        table.append({QStringLiteral("Ctrl+End in 1 GB (read whole)"), QStringLiteral("end-1gb")});
        table.append({QStringLiteral("Find word at the end of 1 GB (read whole)"), QStringLiteral("find-1gb")});
    }
    for (Measured& m : table) {
        for (int run = 0; run < runs; ++run) {
            if (m.name == QLatin1String("churn-10k"))
                QDir(dir.filePath(QStringLiteral("churn"))).removeRecursively();
            QProcess child;
            child.setProcessChannelMode(QProcess::SeparateChannels);
            const double launched = monotonicMs();
            child.start(self, {QStringLiteral("--row"), m.name, dir.path(), QString::number(launched, 'f', 3)});
            child.waitForFinished(180000);
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            for (const QByteArray& l : lines) {
                if (l.startsWith("ms="))
                    m.ms << l.mid(3).toDouble();
                else if (l.startsWith("hwm_kb="))
                    m.hwmKb = std::max(m.hwmKb, l.mid(7).toLong());
                else if (l.startsWith("note="))
                    m.note = QString::fromUtf8(l.mid(5));
            }
            std::fprintf(stderr, ".");
        }
        std::fprintf(stderr, " %s\n", qPrintable(m.name));
    }

    std::printf("| %-42s | %10s | %10s | %9s | %s\n", "Measure", "median ms", "best ms", "peak MB", "notes");
    std::printf("|%s|%s|%s|%s|%s\n", QByteArray(44, '-').constData(), QByteArray(12, '-').constData(),
                QByteArray(12, '-').constData(), QByteArray(11, '-').constData(), "------");
    for (Measured& m : table) {
        std::sort(m.ms.begin(), m.ms.end());
        const double median = m.ms.isEmpty() ? -1 : m.ms[m.ms.size() / 2];
        const double best = m.ms.isEmpty() ? -1 : m.ms.first();
        std::printf("| %-42s | %10.0f | %10.0f | %9.0f | %s\n", qPrintable(m.label), median, best,
                    double(m.hwmKb) / 1024.0, qPrintable(m.note));
    }
    std::printf("(%d run(s) each, platform %s; peak MB is the largest VmHWM of the row's processes)\n", runs,
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb"))));
    return 0;
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 5 && args[1] == QLatin1String("--row"))
        return runRow(args[2], args[3], args[4].toDouble());
    const bool huge = args.contains(QLatin1String("--huge"));
    const qsizetype runsAt = args.indexOf(QLatin1String("--runs"));
    const int runs = runsAt > 0 && runsAt + 1 < args.size() ? std::max(1, args[runsAt + 1].toInt()) : 3;
    return runReport(QApplication::applicationFilePath(), runs, huge);
}
