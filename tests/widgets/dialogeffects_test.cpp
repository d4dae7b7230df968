#include "widgets/dialogform.h"
#include "widgets/dropshadow.h"
#include "widgets/explodingframe.h"

#include "support/modal.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

TEST(ExplodingFrame, FramesGrowFromThePointerToTheDialog)
{
    const QRect target(300, 200, 305, 190);
    const auto frames = TExplodingFrame::frames(QPoint(10, 20), target, 8);
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_EQ(frames.back(), target);
    for (size_t i = 1; i < frames.size(); ++i) {
        EXPECT_GT(frames[i].width(), frames[i - 1].width());
        EXPECT_GT(frames[i].height(), frames[i - 1].height());
    }
    EXPECT_LT(frames.front().width(), target.width() / 4);
    EXPECT_TRUE(TExplodingFrame::frames(QPoint(), QRect(), 8).empty());
    // From inside the dialog the rectangles still grow to its frame.
    EXPECT_EQ(TExplodingFrame::frames(target.center(), target, 3).back(), target);
}

TEST(DropShadow, LiesBelowAndRightOfTheFrame)
{
    const QRect frame(100, 100, 305, 190);
    EXPECT_EQ(TDropShadow::shadowRect(frame), QRect(105, 105, 305, 190));
    const QRegion region = TDropShadow::shadowRegion(frame);
    EXPECT_FALSE(region.contains(frame.center()));
    EXPECT_TRUE(region.contains(QPoint(frame.right() + 3, frame.center().y())));
    EXPECT_TRUE(region.contains(QPoint(frame.center().x(), frame.bottom() + 3)));
    EXPECT_FALSE(region.contains(QPoint(frame.left() + 2, frame.bottom() + 3)));
    for (int d = 1; d < TDropShadow::kDepth; ++d)
        EXPECT_LT(TDropShadow::darkness(d), TDropShadow::darkness(d - 1));
    EXPECT_GT(TDropShadow::darkness(TDropShadow::kDepth - 1), 0);
}

namespace {
class SampleDialog : public TDialogForm {
    Q_OBJECT
public:
    explicit SampleDialog(QWidget* main) : TDialogForm(main, QSize(305, 190), QStringLiteral("Sample"))
    {
        edit = new QLineEdit(this);
        edit->setGeometry(10, 10, 100, 21);
    }
    QLineEdit* edit;
};
}

TEST(DialogForm, OpensAtOnceWhileTheAnimationPlays)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    SampleDialog dialog(&main);
    EXPECT_TRUE(dialog.openingAnimation());
    dialog.show();
    // Shown, centred and playing, before any event has been processed.
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.pos(), TDialogForm::centredOver(main.frameGeometry(), dialog.frameGeometry().size()));
    ASSERT_NE(dialog.openingFrame(), nullptr);
    EXPECT_TRUE(dialog.openingFrame()->isPlaying());
    EXPECT_EQ(dialog.openingFrame()->framesLeft(), TExplodingFrame::kFrames - 1);
    // Once the window system has activated the dialog, the frame drawn over
    // it has not taken the activation away.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isActiveWindow(); }, 5000));
    EXPECT_FALSE(dialog.openingFrame()->isActiveWindow());
    // Hiding the dialog ends the animation.
    dialog.hide();
    EXPECT_FALSE(dialog.openingFrame()->isPlaying());
    EXPECT_FALSE(dialog.openingFrame()->isVisible());
}

TEST(DialogForm, AnimationAndShadowCanBeSwitched)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    SampleDialog dialog(&main);
    dialog.setOpeningAnimation(false);
    dialog.setDropShadow(true);
    EXPECT_TRUE(dialog.dropShadow());
    dialog.show();
    EXPECT_TRUE(dialog.openingFrame() == nullptr || !dialog.openingFrame()->isPlaying());
    QApplication::processEvents();
    ASSERT_NE(dialog.shadow(), nullptr);
    EXPECT_TRUE(dialog.shadow()->isVisible());
    EXPECT_EQ(dialog.shadow()->geometry(), TDropShadow::shadowRect(dialog.frameGeometry()));
    dialog.hide();
    EXPECT_FALSE(dialog.shadow()->isVisible());
    dialog.setDropShadow(false);
    EXPECT_EQ(dialog.shadow(), nullptr);
}

TEST(DialogForm, ShadowFollowsAMovedDialogOnceItSettles)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    SampleDialog dialog(&main);
    dialog.setOpeningAnimation(false);
    dialog.setDropShadow(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.shadow()->isVisible(); }));
    dialog.move(dialog.pos() + QPoint(30, 20));
    EXPECT_FALSE(dialog.shadow()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.shadow()->isVisible(); }));
    EXPECT_EQ(dialog.shadow()->geometry(), TDropShadow::shadowRect(dialog.frameGeometry()));
}

TEST(DialogForm, ModalDialogTakesTypingAtOnce)
{
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    SampleDialog dialog(&main);
    dialog.setDropShadow(true);
    answerModal<SampleDialog>([](SampleDialog* d) {
        QTest::keyClicks(d->edit, QStringLiteral("word"));
        d->done(TDialogForm::mrOk);
    });
    EXPECT_EQ(dialog.exec(), TDialogForm::mrOk);
    EXPECT_EQ(dialog.edit->text(), QStringLiteral("word"));
    EXPECT_FALSE(dialog.shadow()->isVisible());
}

#include "dialogeffects_test.moc"
