#include "support/manualticks.h"
#include "support/modal.h"
#include "support/openerspy.h"
#include "support/programfixture.h"

#include "about/tabout.h"
#include "widgets/clicklabel.h"
#include "widgets/label3d.h"
#include "widgets/linklabel.h"
#include "widgets/scrollingtext.h"
#include "widgets/ticksource.h"

#include <QApplication>
#include <QTest>
#include <QUrlQuery>

namespace {

void clickExit(TAbout* about) { QTest::mouseClick(about->lbAboutExit, Qt::LeftButton, {}, QPoint(3, 3)); }

}

TEST_F(ProgramTest, AboutBoxLayout)
{
    EXPECT_EQ(About->windowTitle(), QStringLiteral("Scrivo 2.0 - Orvik's Softs"));
    EXPECT_EQ(About->size(), QSize(342, 262));
    EXPECT_FALSE(About->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(About->imgAboutLogo1->pixmap().isNull());
    EXPECT_EQ(About->imgAboutLogo2->geometry(), QRect(278, 8, 57, 65));
    EXPECT_EQ(About->lbAboutInfo1->geometry(), QRect(8, 80, 321, 49));
    EXPECT_EQ(About->lbAboutTitre->textStyle(), TLabel3D::Style::Sunken);
    EXPECT_EQ(About->lbAboutTitre->look().light, QColor(255, 0, 0));
    EXPECT_EQ(About->lbAboutVersion->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(About->lbAboutExit->cursor().shape(), Qt::PointingHandCursor);
    // Labels grown to a wider font still end inside their panels.
    for (QLabel* label : {static_cast<QLabel*>(About->lbAboutSuggestions), static_cast<QLabel*>(About->lbAboutBugReport),
                          static_cast<QLabel*>(About->urlAboutSuggestions), static_cast<QLabel*>(About->urlAboutBugReport)})
        EXPECT_LE(label->geometry().right(), label->parentWidget()->width()) << label->objectName().toStdString();

    const QStringList address = About->lbAboutAddress->text().split(QLatin1Char('\n'));
    ASSERT_EQ(address.size(), 5);
    EXPECT_EQ(address.first(), QStringLiteral("My address :"));

    // Links: the web page as caption and target, the mail address as caption.
    EXPECT_EQ(About->urlAboutWeb->text(), TAbout::kWebAddress);
    EXPECT_EQ(About->urlAboutWeb->target(), TAbout::kWebAddress);
    EXPECT_EQ(About->urlAboutSuggestions->text(), TAbout::kMailAddress);
    EXPECT_EQ(About->urlAboutBugReport->text(), TAbout::kMailAddress);
    for (TLinkLabel* link : {About->urlAboutWeb, About->urlAboutSuggestions, About->urlAboutBugReport}) {
        EXPECT_TRUE(link->font().bold() && link->font().underline());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    }
}

TEST_F(ProgramTest, AboutNoteHasTwelveBilingualLines)
{
    const QStringList note = About->lbAboutInfo1->lines();
    ASSERT_EQ(note.size(), 12);
    EXPECT_EQ(note.at(0), QStringLiteral("Text in English and/et  texte en français"));
    for (int empty : {1, 6, 11})
        EXPECT_TRUE(note.at(empty).isEmpty()) << empty;
    for (int line : {2, 3, 4, 5, 7, 8, 9, 10})
        EXPECT_FALSE(note.at(line).isEmpty()) << line;
    // Every line fits the box.
    const QFontMetrics fm(About->lbAboutInfo1->font());
    for (const QString& line : note)
        EXPECT_LT(fm.horizontalAdvance(line), About->lbAboutInfo1->width()) << line.toStdString();
}

TEST_F(ProgramTest, AboutIsCentredOverTheMainWindowEachTime)
{
    for (QPoint mainPos : {QPoint(40, 30), QPoint(300, 250)}) {
        Fp->move(mainPos);
        QApplication::processEvents();
        QPoint shownAt;
        answerModal<TAbout>([&](TAbout* about) {
            shownAt = about->pos();
            clickExit(about);
        });
        Fp->mnuAboutClick();
        EXPECT_EQ(shownAt, TDialogForm::centredOver(Fp->frameGeometry(), About->frameGeometry().size()));
    }
}

TEST_F(ProgramTest, AboutExitLabelClosesWithOk)
{
    answerModal<TAbout>([](TAbout* about) { clickExit(about); });
    EXPECT_EQ(About->exec(), TDialogForm::mrOk);
    EXPECT_FALSE(About->isVisible());
}

TEST_F(ProgramTest, AboutEscapeClosesAsTheExitLabelDoes)
{
    answerModal<TAbout>([](TAbout* about) { QTest::keyClick(about, Qt::Key_Escape); });
    EXPECT_EQ(About->exec(), TDialogForm::mrOk);
    EXPECT_FALSE(About->isVisible());
}

TEST_F(ProgramTest, AboutNoteScrollsInALoopFromTheFirstAboutOn)
{
    auto* ticks = new ManualTicks;
    About->lbAboutInfo1->setTickSource(ticks);
    EXPECT_FALSE(ticks->isActive());

    answerModal<TAbout>([&](TAbout* about) {
        // Running while the box is open, one step each 150 ms.
        EXPECT_TRUE(ticks->isActive());
        EXPECT_EQ(ticks->interval(), 150);
        EXPECT_EQ(about->lbAboutInfo1->step(), 0);
        for (int i = 0; i < 25; ++i)
            ticks->fire();
        clickExit(about);
    });
    Fp->mnuAboutClick();
    EXPECT_EQ(About->lbAboutInfo1->step(), 25);
    // Closing the box does not stop it.
    EXPECT_TRUE(ticks->isActive());
    for (int i = 0; i < 35; ++i)
        ticks->fire();
    EXPECT_EQ(About->lbAboutInfo1->step(), 0);

    // The next About finds it where the cycle has got to.
    ticks->fire();
    answerModal<TAbout>([&](TAbout* about) {
        EXPECT_EQ(about->lbAboutInfo1->step(), 1);
        clickExit(about);
    });
    Fp->mnuAboutClick();
}

TEST_F(ProgramTest, AboutLinksOpenThePageAndTheTwoMails)
{
    OpenerSpy spy;
    answerModal<TAbout>([](TAbout* about) {
        for (TLinkLabel* link : {about->urlAboutWeb, about->urlAboutSuggestions, about->urlAboutBugReport})
            QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        // "Version 2.0" does nothing.
        QTest::mouseClick(about->lbAboutVersion, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_TRUE(about->isVisible());
        clickExit(about);
    });
    Fp->mnuAboutClick();

    ASSERT_EQ(spy.opened.size(), 3);
    EXPECT_EQ(spy.opened.at(0), QUrl(TAbout::kWebAddress));
    for (int i : {1, 2}) {
        EXPECT_EQ(spy.opened.at(i).scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(spy.opened.at(i).path(), TAbout::kMailAddress);
    }
    EXPECT_EQ(QUrlQuery(spy.opened.at(1)).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral("Scrivo 2 - Suggestions"));
    EXPECT_EQ(QUrlQuery(spy.opened.at(2)).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral("Scrivo 2 - Bug Report"));
    // Followed links keep their green.
    EXPECT_TRUE(About->urlAboutWeb->isVisited());
    EXPECT_EQ(About->urlAboutWeb->palette().color(QPalette::WindowText), QColor(0, 128, 0));
}

TEST_F(ProgramTest, AboutTextsStayEnglish)
{
    EXPECT_EQ(About->lbAboutSuggestions->text(), QStringLiteral("Suggestions use ONLY this link"));
    EXPECT_EQ(About->lbAboutExit->text(), QStringLiteral("Click here to exit"));
    EXPECT_EQ(Fp->mnuAbout->text(), QStringLiteral("A propos de ..."));
}
