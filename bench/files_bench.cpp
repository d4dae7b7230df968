// Open and save of a large text file through the program's own code:
// read + decode + load into the editor, and raw text + encode + write (with
// the flush to disk). Prints the best and median of several runs, and the
// memory the loaded document takes.
//
//   files_bench [megabytes] [lines] [runs]     (default 20 200000 5)

#include "app/forms.h"
#include "app/tfp.h"
#include "documents/filecommands.h"
#include "codec/textcodec.h"
#include "editor/tredit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// A file of about the given size and line count: words with some accented
// letters, so the UTF-8 decoder leaves its ASCII fast path now and then.
QByteArray makeText(qint64 bytes, int lines, const char* lineBreak, bool windows1252)
{
    const QByteArray accent = windows1252 ? QByteArray("caf\xE9 ") : QByteArray("caf\xC3\xA9 ");
    const QByteArray words[] = {"lorem ", "ipsum ", "dolor ", "sit ", "amet ", accent, "scrivo ", "texte "};
    const qint64 perLine = bytes / lines;
    QByteArray out;
    out.reserve(bytes + lines * 2);
    for (int line = 0; line < lines; ++line) {
        const qint64 start = out.size();
        for (int w = line; out.size() - start < perLine - 4; ++w)
            out += words[w % 8];
        out += lineBreak;
    }
    return out;
}

// The same text in UTF-16 LE with its mark.
QByteArray utf16(const QByteArray& utf8)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE") + QByteArray(encoder(QString::fromUtf8(utf8)));
}

// UTF-8 text with count of its spaces turned into a Windows-1252 "\xE9".
QByteArray withBadBytes(QByteArray bytes, int count)
{
    const qsizetype step = bytes.size() / std::max(count, 1);
    for (qsizetype at = step / 2; count-- > 0 && at < bytes.size(); at += step) {
        const qsizetype space = bytes.indexOf(' ', at);
        if (space >= 0)
            bytes[space] = char(0xE9);
    }
    return bytes;
}

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

struct Figures {
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(double(ns) / 1e6); }
    double best() const { return *std::min_element(ms.begin(), ms.end()); }
    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

void report(const char* what, const Figures& f)
{
    std::printf("  %-34s best %8.1f ms   median %8.1f ms\n", what, f.best(), f.median());
}

void run(const QString& folder, const char* label, const QByteArray& bytes, int runs)
{
    const QString in = folder + QStringLiteral("/in.txt");
    const QString out = folder + QStringLiteral("/out.txt");
    {
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::printf("cannot write %s\n", qPrintable(in));
            return;
        }
    }
    std::printf("%s: %.1f MB\n", label, double(bytes.size()) / 1e6);

    FileCommands& files = Fp->files();
    DocumentTable& docs = Fp->documents();
    Figures decode, firstScreen, open, editorLoad, rawText, encode, save;
    long before = 0, after = 0, firstGrowth = -1;
    bool identical = true;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        DecodedText decoded = decodeTextFile(bytes);
        decode.add(t.nsecsElapsed());

        before = residentKiB();
        const int slot = docs.New();
        docs.LoadingDocument = true;
        t.restart();
        files.readFileIntoDocument(slot, in);
        firstScreen.add(t.nsecsElapsed());
        docs.slot(slot).Editor->waitUntilLoaded();
        open.add(t.nsecsElapsed());
        docs.LoadingDocument = false;
        QApplication::processEvents();
        after = residentKiB();
        if (firstGrowth < 0)
            firstGrowth = after - before;

        // The editor's own load, for comparison.
        TREdit* editor = docs.slot(slot).Editor;
        docs.LoadingDocument = true;
        t.restart();
        editor->setRtfText(decoded.text);
        editorLoad.add(t.nsecsElapsed());
        docs.LoadingDocument = false;

        t.restart();
        const QString raw = editor->text();
        rawText.add(t.nsecsElapsed());
        t.restart();
        const QByteArray encoded = encodeTextFile(raw, docs.slot(slot).Format).bytes;
        encode.add(t.nsecsElapsed());

        QFile::remove(out);
        t.restart();
        files.writeDocument(slot, out);
        save.add(t.nsecsElapsed());
        QFile written(out);
        identical = identical && written.open(QIODevice::ReadOnly) && written.readAll() == bytes;

        docs.removeDocument(slot);
        QApplication::processEvents();
    }
    report("decode alone", decode);
    report("open: the first screen's text in", firstScreen);
    report("open: the whole file in", open);
    report("  editor's load alone", editorLoad);
    report("raw text from the editor", rawText);
    report("encode alone", encode);
    report("save (streamed from the store)", save);
    // Later loads reuse the memory earlier ones freed: only the first counts.
    static bool first = true;
    if (std::exchange(first, false))
        std::printf("  resident memory of the loaded document: about %ld MB\n", firstGrowth / 1024);
    std::printf("  file written back identical: %s\n\n", identical ? "yes" : "NO");
}

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 20;
    const int lines = argc > 2 ? std::atoi(argv[2]) : 200000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    createForms({}, true);
    Fp->setTerminator([] {});
    const qint64 size = megabytes * 1000 * 1000;
    const QByteArray utf8 = makeText(size, lines, "\n", false);
    run(folder.path(), "UTF-8, LF", utf8, runs);
    run(folder.path(), "Windows-1252, CRLF", makeText(size, lines, "\r\n", true), runs);
    run(folder.path(), "UTF-8 with a bad byte every 100 lines, LF", withBadBytes(utf8, lines / 100), runs);
    run(folder.path(), "UTF-16 LE, CRLF", utf16(makeText(size / 2, lines, "\r\n", false)), runs);
    destroyForms();
    return 0;
}
