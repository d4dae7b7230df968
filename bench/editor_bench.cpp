// Figures for the editor control with large documents: loading and first
// paint, one keystroke at the end and in the middle, reading the text back,
// and a find over the whole text. Prints milliseconds; run it with
// QT_QPA_PLATFORM=offscreen (the default here) or under xvfb-run.
//
//   editor_bench [repetitions [lines|long|run]]

#include "documents/documenttable.h"
#include "editor/tredit.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double timeOnce(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return msSince(start);
}

// Median of several runs; prepare runs before each one and is not timed.
double median(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        times.push_back(timeOnce(work));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A text of the given number of lines, about bytes characters in all, with
// words of varying length so wrapping and shaping do real work.
QString makeText(qsizetype bytes, int lines, bool spaces = true)
{
    static const char* const words[] = {"lorem", "ipsum", "dolor", "sit", "amet,", "consectetur",
                                        "adipiscing", "elit", "sed", "do", "eiusmod", "tempor"};
    const qsizetype perLine = bytes / lines - 1;
    QString text;
    text.reserve(bytes + 64);
    unsigned seed = 12345;
    for (int line = 0; line < lines; ++line) {
        qsizetype used = 0;
        while (used < perLine) {
            seed = seed * 1103515245u + 12345u;
            const QLatin1StringView word(words[(seed >> 16) % 12]);
            const qsizetype take = std::min<qsizetype>(word.size(), perLine - used);
            text += word.first(take);
            used += take;
            if (spaces && used < perLine) {
                text += u' ';
                ++used;
            }
        }
        if (line + 1 < lines)
            text += u'\n';
    }
    return text;
}

// The editor as the main window sets it up for a document.
TREdit* makeEditor()
{
    auto* editor = new TREdit;
    DocumentTable::setUpEditor(editor);
    editor->resize(780, 520);
    editor->show();
    editor->activateWindow();
    editor->setFocus();
    QApplication::processEvents();
    return editor;
}

void paintNow(TREdit* editor)
{
    editor->viewport()->repaint();
    QApplication::processEvents();
}

void type(TREdit* editor, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
    paintNow(editor);
}

void report(const char* what, double ms) { std::printf("  %-46s %9.1f ms\n", what, ms); }

void benchDocument(const char* title, const QString& text, int runs)
{
    std::printf("%s: %lld characters, %lld lines\n", title, static_cast<long long>(text.size()),
                static_cast<long long>(text.count(u'\n') + 1));
    TREdit* editor = makeEditor();

    const double load = timeOnce([&] { editor->setRtfText(text); });
    const double paint = timeOnce([&] { paintNow(editor); });
    report("setRtfText", load);
    report("first paint", paint);
    report("setRtfText + first paint", load + paint);
    report("reload (median)", median(runs, nullptr, [&] {
               editor->setRtfText(text);
               paintNow(editor);
           }));

    // Each keystroke is timed on the text as loaded, caret placed first.
    const auto freshAt = [&](bool middle) {
        return [&, middle] {
            editor->setRtfText(text);
            paintNow(editor);
            editor->setSelStart(middle ? editor->textLength() / 2 : editor->textLength());
            paintNow(editor);
        };
    };
    report("keystroke at the end (median)",
           median(runs, freshAt(false), [&] { type(editor, Qt::Key_X, QStringLiteral("x")); }));
    report("keystroke in the middle (median)",
           median(runs, freshAt(true), [&] { type(editor, Qt::Key_X, QStringLiteral("x")); }));
    report("Return in the middle (median)",
           median(runs, freshAt(true), [&] { type(editor, Qt::Key_Return, QStringLiteral("\r")); }));
    report("Backspace in the middle (median)",
           median(runs, freshAt(true), [&] { type(editor, Qt::Key_Backspace, QStringLiteral("\b")); }));

    QString back;
    report("rtfText read after an edit (median)",
           median(runs, [&] { type(editor, Qt::Key_X, QStringLiteral("x")); },
                  [&] { back = editor->rtfText(); }));
    report("findText of an absent word (median)", median(runs, nullptr, [&] {
               editor->findText(QStringLiteral("absentword"), 0, editor->textLength(), {});
           }));
    std::printf("  read-back length %lld\n", static_cast<long long>(back.size()));
    delete editor;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (only.isEmpty() || only == u"lines")
        benchDocument("20 MB, 200,000 lines", makeText(20'000'000, 200'000), runs);
    if (only.isEmpty() || only == u"long")
        benchDocument("4 MB, one line", makeText(4'000'000, 1), runs);
    if (only.isEmpty() || only == u"run")
        benchDocument("4 MB, one line without spaces", makeText(4'000'000, 1, false), runs);
    return 0;
}
