#include "widgets/balloongeometry.h"
#include "widgets/hintballoon.h"
#include "widgets/hintmanager.h"
#include "widgets/hintpositioner.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

using namespace BalloonGeometry;

namespace {
const QRect kScreen(0, 0, 1280, 1024);

bool inEllipse(const QRect& e, QPointF p)
{
    const double a = e.width() / 2.0;
    const double b = e.height() / 2.0;
    const QPointF c = QRectF(e).center();
    const double dx = (p.x() - c.x()) / a;
    const double dy = (p.y() - c.y()) / b;
    return dx * dx + dy * dy <= 1.0;
}

// Sends the request Qt sends when the mouse rests over a widget.
bool requestHint(QWidget* widget, QPoint local)
{
    QHelpEvent help(QEvent::ToolTip, local, widget->mapToGlobal(local));
    return QApplication::sendEvent(widget, &help);
}

// A widget that wants its hints at a fixed point.
class Anchored : public QWidget, public HintPositioner {
public:
    std::optional<QPoint> hintPosition(QPoint) const override { return QPoint(500, 400); }
};
}

TEST(BalloonGeometry, TextFitsInsideTheEllipse)
{
    const QSize text(120, 30);
    const Layout l = besidePointer(text, QPoint(600, 500), kScreen);
    for (QPointF corner : {QPointF(l.text.topLeft()), QPointF(l.text.topRight()) + QPointF(1, 0),
                           QPointF(l.text.bottomLeft()) + QPointF(0, 1), QPointF(l.text.bottomRight()) + QPointF(1, 1)})
        EXPECT_TRUE(inEllipse(l.ellipse, corner));
    EXPECT_EQ(l.text.size(), text);
}

TEST(BalloonGeometry, SitsAboveAndLeftOfThePointerWithItsTailOnIt)
{
    const QPoint pointer(600, 500);
    const Layout l = besidePointer(QSize(80, 14), pointer, kScreen);
    const QRect ellipse = l.ellipse.translated(l.window.topLeft());
    EXPECT_LT(ellipse.right(), pointer.x());
    EXPECT_LT(ellipse.bottom(), pointer.y());
    EXPECT_EQ(l.window.bottomRight(), pointer);
    ASSERT_EQ(l.tail.size(), 3);
    EXPECT_EQ(l.tail.at(1) + l.window.topLeft(), pointer);
}

TEST(BalloonGeometry, TurnsAwayFromTheScreenEdges)
{
    const Layout corner = besidePointer(QSize(80, 14), QPoint(5, 5), kScreen);
    EXPECT_EQ(corner.window.topLeft(), QPoint(5, 5));
    EXPECT_TRUE(kScreen.contains(corner.window));
    EXPECT_EQ(corner.tail.at(1), QPoint(0, 0));

    const Layout left = besidePointer(QSize(80, 14), QPoint(5, 500), kScreen);
    EXPECT_GE(left.window.left(), 0);
    EXPECT_LT(left.window.bottom(), 501);

    const Layout placed = atPoint(QSize(80, 14), QPoint(1270, 1020), kScreen);
    EXPECT_TRUE(kScreen.contains(placed.window));
    EXPECT_TRUE(placed.tail.isEmpty());
}

class HintManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->setGeometry(200, 200, 300, 200);
        auto* layout = new QVBoxLayout(window.get());
        button = new QToolButton;
        button->setToolTip(QStringLiteral("Nouvelle page"));
        inner = new QWidget;
        plain = new QWidget;
        layout->addWidget(button);
        layout->addWidget(inner);
        layout->addWidget(plain);
        window->show();
        QApplication::processEvents();
    }

    THintManager manager;
    std::unique_ptr<QWidget> window;
    QToolButton* button = nullptr;
    QWidget* inner = nullptr;
    QWidget* plain = nullptr;
};

TEST_F(HintManagerTest, ShowsAWidgetsHintInTheBalloon)
{
    const QPoint local = button->rect().center();
    EXPECT_TRUE(requestHint(button, local));
    THintBalloon* balloon = manager.balloon();
    ASSERT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->text(), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(THintBalloon::current(), balloon);
    // Above and to the left of the pointer.
    const QPoint pointer = button->mapToGlobal(local);
    EXPECT_EQ(balloon->geometry().bottomRight(), pointer);

    // A key press sends it away.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(button, &key);
    EXPECT_FALSE(balloon->isVisible());
}

TEST_F(HintManagerTest, FindsTheHintOfAParentAndStopsAtTheWindow)
{
    window->setToolTip(QStringLiteral("window hint"));
    EXPECT_TRUE(requestHint(inner, QPoint(2, 2)));
    EXPECT_EQ(manager.balloon()->text(), QStringLiteral("window hint"));

    window->setToolTip(QString());
    QWidget* owner = window.get();
    EXPECT_TRUE(THintManager::hintFor(inner, QPoint(2, 2), &owner).isEmpty());
    EXPECT_EQ(owner, nullptr);
    // No hint: the request goes on to Qt and any balloon goes away.
    EXPECT_FALSE(requestHint(plain, QPoint(2, 2)) && manager.balloon()->isVisible());
    EXPECT_FALSE(manager.balloon()->isVisible());
}

TEST_F(HintManagerTest, AWidgetMayPlaceItsOwnHint)
{
    auto* anchored = new Anchored;
    anchored->setParent(window.get());
    anchored->setToolTip(QStringLiteral("tab hint"));
    anchored->setGeometry(0, 0, 50, 20);
    anchored->show();
    EXPECT_TRUE(requestHint(anchored, QPoint(3, 3)));
    EXPECT_EQ(manager.balloon()->geometry().topLeft(), QPoint(500, 400));
    EXPECT_TRUE(manager.balloon()->layout().tail.isEmpty());
    THintBalloon::cancelHint();
    EXPECT_FALSE(manager.balloon()->isVisible());
}
