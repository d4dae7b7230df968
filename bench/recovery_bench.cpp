// The recovery journal's costs: what a keystroke costs the user's thread,
// and how long recovering a 100 MB document with 10,000 edits takes (read the
// journal, read and check the file, decode it, replay the edits).
//
//   recovery_bench [megabytes] [edits] [keystrokes]     (default 100 10000 200000)

#include "documents/documenttable.h"
#include "codec/textcodec.h"
#include "editor/tredit.h"
#include "recovery/journalreplay.h"
#include "recovery/recoveryjournal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

QByteArray makeText(qint64 bytes)
{
    const QByteArray line = "Lorem ipsum dolor sit amet, caf\xC3\xA9 scrivo texte num\xC3\xA9ro un.\n";
    QByteArray out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    return out;
}

qint64 threadNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

std::optional<QString> decode(QByteArrayView bytes, const QString&) { return decodeTextFile(bytes).text; }

// Typing into a document of about 1 MB: the cost of each edited() on the
// user's thread, the journal writing on its own thread meanwhile.
void keystrokes(const QString& root, int count)
{
    RecoveryJournal journal(root);
    journal.setFlushDelay(0); // each processEvents below writes what is pending
    QString text = QString::fromUtf8(makeText(1 << 20));
    journal.track(1, {[] { return JournalHeader{}; }, [&text] { return text; }});
    // The user's thread's own processor time: on a busy machine the wall
    // clock would also count the time other programs ran.
    qint64 worst = 0, total = 0;
    qint64 length = text.size();
    const QString key = QStringLiteral("e");
    for (int i = 0; i < count; ++i) {
        const qint64 at = length / 2 + i;
        text.insert(at, key); // the document's own change, not timed
        const qint64 start = threadNs();
        journal.edited(1, at, 0, key, ++length);
        if (i % 2000 == 1999) // the timer's write: pending records handed to the writer
            QApplication::processEvents();
        const qint64 ns = threadNs() - start;
        total += ns;
        worst = std::max(worst, ns);
    }
    journal.flush();
    std::printf("keystroke, user's thread: %.4f ms on average, %.3f ms at worst (processor time)\n",
                double(total) / count / 1e6, double(worst) / 1e6);
}

// Processor time per key typed into the middle of an editor of about 1 MB,
// freshly loaded each time, so every measure types into the same line.
double typingMs(TREdit& editor, const QString& text, int keys)
{
    editor.setRtfText(text);
    editor.setSelStart(editor.textLength() / 2);
    QApplication::processEvents();
    const qint64 start = threadNs();
    for (int i = 0; i < keys; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
        QApplication::sendEvent(&editor, &press);
        if (i % 100 == 99)
            QApplication::processEvents();
    }
    return double(threadNs() - start) / keys / 1e6;
}

// The same keys with and without the journal listening: its share of a
// keystroke in the editor, the inserted text taken from the editor included.
void editorKeystrokes(const QString& root, int keys)
{
    TREdit editor;
    DocumentTable::setUpEditor(&editor);
    editor.resize(800, 600);
    editor.show();
    const QString text = QString::fromUtf8(makeText(1 << 20));
    typingMs(editor, text, keys / 4); // layouts and caches settle
    const double before = typingMs(editor, text, keys);
    RecoveryJournal journal(root);
    journal.track(1, {[] { return JournalHeader{}; }, [&editor] { return editor.text(); }});
    const auto listening = QObject::connect(&editor, &TREdit::contentsEdited, &journal,
                                            [&](int position, int removed, const QString& inserted) {
                                                journal.edited(1, position, removed, inserted, editor.textLength());
                                            });
    const double journaled = typingMs(editor, text, keys);
    journal.flush();
    QObject::disconnect(listening);
    const double after = typingMs(editor, text, keys);
    std::printf("keystroke in a 1 MB editor: %.3f ms with the journal, %.3f and %.3f ms without it before and "
                "after (processor time; the first change copies the text)\n",
                journaled, before, after);
}

void recovery(const QString& root, const QString& folder, qint64 megabytes, int edits)
{
    const QByteArray bytes = makeText(megabytes << 20);
    JournalHeader header;
    header.path = folder + QStringLiteral("/big.txt");
    header.encoding = QStringLiteral("utf-8");
    QFile file(header.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(header.path));
        std::exit(1);
    }
    file.close();
    header.base = FileIdentity::ofFile(header.path, bytes);
    qint64 length = decodeTextFile(bytes).text.size();
    {
        RecoveryJournal journal(root);
        // Too long for a first copy: the edits rely on the file.
        journal.track(1, {[header] { return header; }, [] { return QString(); }});
        QRandomGenerator random(3);
        for (int i = 0; i < edits; ++i) {
            const qint64 at = random.bounded(length - 10);
            const qint64 removed = random.bounded(4);
            const QString inserted = QStringLiteral("edit %1").arg(i).left(random.bounded(9));
            length += inserted.size() - removed;
            journal.edited(1, at, removed, inserted, length);
        }
        journal.flush();
    } // the journal stays, as after a kill

    QElapsedTimer clock;
    clock.start();
    const double cpuStart = cpuMs();
    RecoveryJournal next(root);
    QStringList problems;
    const QList<OrphanJournal> orphans = next.claimEnded(problems);
    const qint64 claimed = clock.elapsed();
    if (orphans.size() != 1) {
        std::fprintf(stderr, "expected one journal, found %d\n", int(orphans.size()));
        std::exit(1);
    }
    const ReplayResult result = replayJournal(orphans[0].content, decode);
    const qint64 total = clock.elapsed();
    const double cpu = cpuMs() - cpuStart;
    if (result.problem != ReplayProblem::None || result.text.size() != length) {
        std::fprintf(stderr, "recovery failed (%d)\n", int(result.problem));
        std::exit(1);
    }
    // For comparison: decoding the file alone, as opening it does.
    clock.restart();
    const double decodeCpuStart = cpuMs();
    const qsizetype decodedLength = decodeTextFile(bytes).text.size();
    const qint64 decodeMs = clock.elapsed();
    std::printf("recovery of %lld MB with %d edits: %lld ms, %.0f ms of processor time (journal %lld bytes, "
                "read in %lld ms)\n",
                static_cast<long long>(megabytes), edits, static_cast<long long>(total), cpu,
                static_cast<long long>(orphans[0].content.intactSize), static_cast<long long>(claimed));
    std::printf("  of which the file's decoding, as when opening it: %lld ms, %.0f ms of processor time (%lld characters)\n",
                static_cast<long long>(decodeMs), cpuMs() - decodeCpuStart, static_cast<long long>(decodedLength));
    next.endCleanly();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const int edits = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int typed = argc > 3 ? std::atoi(argv[3]) : 200000;
    QTemporaryDir dir;
    keystrokes(dir.path() + QStringLiteral("/keys"), typed);
    editorKeystrokes(dir.path() + QStringLiteral("/editor"), 2000);
    recovery(dir.path() + QStringLiteral("/recovery"), dir.path(), megabytes, edits);
    return 0;
}
