// Find and Next as the commands run them, on large documents in a shown
// editor. Prints figures; run from a build folder: bench/search_bench.
//
// (a) Find of a word that occurs only at the end of a 20 MB, 200,000-line
//     document, with each option set, beside the two ways of reading such a
//     document that Qt offers on its own.
// (b) 1,000 successive Next commands over a 20 MB document holding the word
//     1,000 times (the last Next finds nothing), then the replacing Next
//     over a 2 MB document with 1,000 occurrences.
// (c) With --store [MB]: only the search itself, over a text store filled as
//     the loader fills it (256 MB unless told, 1024 for a gigabyte), French
//     text with CRLF breaks, the word only at the very end.

#include "editor/textsearch.h"
#include "editor/tredit.h"
#include "search/searchcommands.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "text/textstore.h"
#include "widgets/checkbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// 99 characters and a line break per line: 100 characters a line.
QString filler(int lineNumber)
{
    QString line = QStringLiteral("%1 The quick brown fox jumps over the lazy dog; lorem ipsum dolor sit amet, consectetur ")
                       .arg(lineNumber, 6, 10, QChar(u'0'));
    line.resize(99, u'.');
    return line;
}

// lines lines; the word replaces the start of every stride-th line
// (counting from stride - 1), or only ends the last line when stride is 0.
QString makeText(int lines, int stride, const QString& word)
{
    QString text;
    text.reserve(qsizetype(lines) * 100);
    for (int i = 0; i < lines; ++i) {
        QString line = filler(i);
        if (stride > 0 && i % stride == stride - 1)
            line.replace(0, word.size() + 1, word + u' ');
        if (stride == 0 && i == lines - 1)
            line.replace(line.size() - word.size() - 1, word.size() + 1, QStringLiteral(" ") + word);
        text += line;
        if (i + 1 < lines)
            text += u'\n';
    }
    return text;
}

struct Stats {
    double min = 0, median = 0, max = 0, total = 0;
};

Stats stats(std::vector<double> ms)
{
    Stats s;
    if (ms.empty())
        return s;
    std::sort(ms.begin(), ms.end());
    s.min = ms.front();
    s.max = ms.back();
    s.median = ms[ms.size() / 2];
    for (double v : ms)
        s.total += v;
    return s;
}

double elapsedMs(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

void print(const char* what, const Stats& s)
{
    std::printf("  %-52s min %8.3f  median %8.3f  max %8.3f ms\n", what, s.min, s.median, s.max);
}

struct Bench {
    QWidget mainWindow;
    TREdit* editor = new TREdit(&mainWindow);
    TFind find{&mainWindow};
    TFindReplace findReplace{&mainWindow};
    bool nextEnabled = false;
    SearchCommands commands{{[this] { return editor; }, [this] { return &find; }, [this] { return &findReplace; },
                             [this](bool on) { nextEnabled = on; }}};

    Bench()
    {
        mainWindow.resize(800, 600);
        editor->resize(800, 600);
        mainWindow.show();
    }

    void load(const QString& text)
    {
        QElapsedTimer t;
        t.start();
        editor->setRtfText(text);
        QApplication::processEvents();
        std::printf("  loaded %lld characters, %d lines in %.0f ms\n", (long long)(editor->textLength()),
                    editor->lineCount(), elapsedMs(t));
    }
};

void benchFindAtEnd(Bench& b)
{
    std::printf("(a) Find of a word found only at the end of 20 MB / 200,000 lines\n");
    const QString word = QStringLiteral("zanzibar");
    b.load(makeText(200000, 0, word));
    const int expected = b.editor->textLength() - int(word.size());
    constexpr int Runs = 9;

    for (auto [name, whole, match] : {std::tuple("Find, no option", false, false),
                                      std::tuple("Find, whole word", true, false),
                                      std::tuple("Find, match case", false, true),
                                      std::tuple("Find, whole word and match case", true, true)}) {
        b.find.zeFindMot->setText(match ? word : QStringLiteral("ZanZibar"));
        b.find.chkboxFindWord->setCheckedSilently(whole);
        b.find.chkboxFindCase->setCheckedSilently(match);
        std::vector<double> ms;
        for (int i = 0; i < Runs; ++i) {
            b.editor->setSelStart(b.editor->textLength() / 2);
            QElapsedTimer t;
            t.start();
            b.commands.runFind();
            ms.push_back(elapsedMs(t));
            if (b.commands.FoundPos != expected || b.editor->selLength() != word.size())
                std::printf("  WRONG RESULT %d\n", b.commands.FoundPos);
        }
        print(name, stats(ms));
    }

    // The worst Next: from near the top to the only occurrence at the end.
    b.find.chkboxFindWord->setCheckedSilently(false);
    b.find.chkboxFindCase->setCheckedSilently(false);
    b.commands.SearchIsFind = true;
    std::vector<double> next;
    for (int i = 0; i < Runs; ++i) {
        b.editor->setSelStart(0);
        b.editor->setSelLength(5);
        QElapsedTimer t;
        t.start();
        b.commands.mnuNextClick();
        next.push_back(elapsedMs(t));
        if (b.commands.FoundPos != expected)
            std::printf("  WRONG RESULT %d\n", b.commands.FoundPos);
    }
    print("Next from the top of the text", stats(next));

    std::vector<double> raw;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QString text = b.editor->text();
        raw.push_back(elapsedMs(t));
    }
    print("for reference: the whole text read out", stats(raw));
}

void benchNext(Bench& b)
{
    std::printf("(b) 1,000 Next over 20 MB / 200,000 lines, 1,000 occurrences\n");
    const QString word = QStringLiteral("zanzibar");
    b.load(makeText(200000, 200, word));
    b.find.zeFindMot->setText(word);
    b.find.chkboxFindWord->setCheckedSilently(true);
    b.find.chkboxFindCase->setCheckedSilently(false);
    b.commands.SearchIsFind = true;
    QElapsedTimer t;
    t.start();
    b.commands.runFind();
    const double findMs = elapsedMs(t);
    std::vector<double> ms;
    int found = b.nextEnabled ? 1 : 0;
    for (int i = 0; i < 1000; ++i) {
        const int before = b.commands.FoundPos;
        t.restart();
        b.commands.mnuNextClick();
        ms.push_back(elapsedMs(t));
        if (b.nextEnabled && b.commands.FoundPos > before)
            ++found;
    }
    std::printf("  Find selecting the first occurrence: %.3f ms; occurrences selected: %d; Next enabled at the end: %s\n",
                findMs, found, b.nextEnabled ? "yes" : "no");
    print("Next (finding), per command", stats(ms));
    std::printf("  %-52s %8.3f ms\n", "last Next (nothing left)", ms.back());
    {
        // The same 1,000 searches without selecting: the rest of a Next is
        // the editor laying out and showing the page of the match.
        std::vector<double> raw;
        qsizetype from = 0;
        for (int i = 0; i < 1000; ++i) {
            t.restart();
            const TextMatch m = findInStore(b.editor->store(), word, from, b.editor->textLength(), {true, false});
            raw.push_back(elapsedMs(t));
            from = m.position + m.length;
        }
        print("the search alone (no selection, no scrolling)", stats(raw));
    }

    std::printf("(b') 1,000 replacing Next over 2 MB / 20,000 lines, 1,000 occurrences\n");
    b.load(makeText(20000, 20, word));
    b.findReplace.zeFindReplaceMot->setText(word);
    b.findReplace.zeFindReplaceBy->setText(QStringLiteral("Mombasa"));
    b.commands.SearchIsFind = false;
    t.restart();
    b.commands.runFindReplace();
    const double replaceMs = elapsedMs(t);
    ms.clear();
    int replaced = b.nextEnabled ? 1 : 0;
    for (int i = 0; i < 1000; ++i) {
        t.restart();
        b.commands.mnuNextClick();
        ms.push_back(elapsedMs(t));
        if (b.nextEnabled)
            ++replaced;
    }
    std::printf("  Find / Replace: %.3f ms; occurrences replaced: %d; left: %s\n", replaceMs, replaced,
                b.editor->text().contains(word) ? "some" : "none");
    print("Next (replacing, each from the top), per command", stats(ms));
}

// A store of about megabytes MB as a loader leaves it (chunks of 64 KiB),
// lines of 20 to 180 characters with CRLF breaks and accented words, made
// chunk by chunk so that no second copy of the text is ever held; the last
// line is "Zanzibar".
void fillStore(TextStore& store, qint64 megabytes)
{
    QRandomGenerator random(7);
    static const char* const words[] = {"lorem ", "ipsum ", "dolor ", "sit ", "amet, ", "consectetur ",
                                        "adipiscing ", "elit ", "sed ", "\xC3\xA9t\xC3\xA9 ", "\xC3\xA0 ",
                                        "\xC2\xAB k\xC3\xA9pi \xC2\xBB ", "l\xE2\x80\x99" "an "};
    const qint64 total = megabytes << 20;
    const qsizetype chunkSize = store.limits().target;
    QByteArray chunk;
    for (qint64 filled = 0; filled < total;) {
        chunk.clear();
        while (chunk.size() < chunkSize - 200) {
            const int lineLength = 20 + int(random.bounded(160));
            const qsizetype start = chunk.size();
            while (chunk.size() - start < lineLength)
                chunk += words[random.bounded(13)];
            chunk += "\r\n";
        }
        filled += chunk.size();
        if (filled >= total)
            chunk += "the end at\r\nZanzibar";
        store.appendLoaded(TextChunk::from(chunk));
    }
}

void benchStore(qint64 megabytes)
{
    std::printf("(c) The search alone over a %lld MB text store, the word only at its end\n", (long long)megabytes);
    TextStore store;
    QElapsedTimer t;
    t.start();
    fillStore(store, megabytes);
    std::printf("  filled %lld bytes, %lld characters, %lld lines in %.0f ms\n", (long long)store.byteCount(),
                (long long)store.length(), (long long)store.lineCount(), elapsedMs(t));
    const qint64 expected = store.length() - 8;
    constexpr int Runs = 5;
    // The word, whether it is at the end, and the options.
    for (auto [name, word, present, whole, match] :
         {std::tuple("zanzibar, no option", "zanzibar", true, false, false),
          std::tuple("zanzibar, whole word", "zanzibar", true, true, false),
          std::tuple("Zanzibar, match case", "Zanzibar", true, false, true),
          std::tuple("Zanzibar, whole word and match case", "Zanzibar", true, true, true),
          std::tuple("KANZIBAR (k has the Kelvin sign), no option", "KANZIBAR", false, false, false),
          std::tuple("at\\nZanzibar (a line break), no option", "at\nZanzibar", true, false, false),
          std::tuple("dolorem (nowhere; \"dolor\" everywhere), no option", "dolorem", false, false, false)}) {
        const QString w = QString::fromUtf8(word);
        std::vector<double> ms;
        qint64 found = 0;
        for (int i = 0; i < Runs; ++i) {
            t.restart();
            found = findInStore(store, w, 0, store.length(), {whole, match}).position;
            ms.push_back(elapsedMs(t));
        }
        print(name, stats(ms));
        const qint64 wanted = present ? expected - (w.size() - 8) : -1;
        if (found != wanted)
            std::printf("  WRONG RESULT %lld\n", (long long)found);
    }
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 2 && std::strcmp(argv[1], "--store") == 0) {
        benchStore(argc >= 3 ? std::atoll(argv[2]) : 256);
        return 0;
    }
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);
    {
        Bench b;
        benchFindAtEnd(b);
    }
    {
        Bench b;
        benchNext(b);
    }
    return 0;
}
