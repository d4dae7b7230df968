// What the decorative parts cost: painting the coloured tabs, opening a
// dialog with its animation and shadow (the time before it takes input),
// a scrolling-note step, a hint balloon.
#include "tabcontrol/extpagecontroltag.h"
#include "widgets/dialogform.h"
#include "widgets/dropshadow.h"
#include "widgets/hintballoon.h"
#include "widgets/scrollingtext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<QWidget> explorerLikeTabs(TExtPageControl** out)
{
    auto window = std::make_unique<QWidget>();
    window->resize(217, 560);
    auto* tabs = new TExtPageControlTag(window.get());
    tabs->setGeometry(0, 0, 217, 560);
    tabs->setExtTabPosition(TExtPageControl::tabPosBottom);
    tabs->addTab(new QWidget, QStringLiteral("Répertoires"));
    tabs->addTab(new QWidget, QStringLiteral("Fichiers"));
    tabs->Loaded();
    window->show();
    QApplication::processEvents();
    *out = tabs;
    return window;
}

void BM_TabsPaint(benchmark::State& state)
{
    TExtPageControl* tabs = nullptr;
    auto window = explorerLikeTabs(&tabs);
    for (auto _ : state) {
        QPixmap shot = tabs->grab();
        benchmark::DoNotOptimize(shot);
    }
}
BENCHMARK(BM_TabsPaint)->Unit(benchmark::kMicrosecond);

void BM_TabsHotRepaint(benchmark::State& state)
{
    TExtPageControl* tabs = nullptr;
    auto window = explorerLikeTabs(&tabs);
    tabs->hottrack()->setEnabled(true);
    int hot = 0;
    for (auto _ : state) {
        tabs->HotTrackRepaint(hot, 1 - hot);
        hot = 1 - hot;
    }
}
BENCHMARK(BM_TabsHotRepaint)->Unit(benchmark::kMicrosecond);

class Dialog : public TDialogForm {
public:
    explicit Dialog(QWidget* main) : TDialogForm(main, QSize(305, 190), QStringLiteral("Find dialog")) {}
};

// From exec() to the first event the dialog's own loop handles.
void BM_DialogOpenToInput(benchmark::State& state)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    Dialog dialog(&main);
    dialog.setOpeningAnimation(state.range(0) != 0);
    dialog.setDropShadow(state.range(1) != 0);
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 ns = 0;
        QTimer::singleShot(0, &dialog, [&] {
            ns = clock.nsecsElapsed();
            dialog.done(TDialogForm::mrOk);
        });
        clock.start();
        dialog.exec();
        state.SetIterationTime(double(ns) / 1e9);
    }
}
BENCHMARK(BM_DialogOpenToInput)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ShadowFollow(benchmark::State& state)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    Dialog dialog(&main);
    dialog.setOpeningAnimation(false);
    dialog.setDropShadow(true);
    dialog.show();
    QApplication::processEvents();
    int dx = 0;
    for (auto _ : state) {
        dialog.move(dialog.pos() + QPoint(dx ? -1 : 1, 0));
        dx = 1 - dx;
        dialog.shadow()->follow();
        dialog.shadow()->repaint();
    }
}
BENCHMARK(BM_ShadowFollow)->Unit(benchmark::kMicrosecond);

void BM_ScrollingStep(benchmark::State& state)
{
    TScrollingText box;
    box.resize(321, 49);
    QStringList lines;
    for (int i = 0; i < 12; ++i)
        lines << QStringLiteral("A line of the distribution note, number %1").arg(i);
    box.setLines(lines);
    box.show();
    QApplication::processEvents();
    for (auto _ : state) {
        box.advance();
        box.repaint();
    }
}
BENCHMARK(BM_ScrollingStep)->Unit(benchmark::kMicrosecond);

void BM_BalloonShow(benchmark::State& state)
{
    THintBalloon balloon;
    int n = 0;
    for (auto _ : state) {
        balloon.showBesidePointer(n++ % 2 ? QStringLiteral("Nouvelle page") : QStringLiteral("Ouvrir fichier"),
                                  QPoint(600, 400));
        balloon.repaint();
    }
}
BENCHMARK(BM_BalloonShow)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
