#include "search/searchfixture.h"

#include "widgets/label3d.h"
#include "widgets/panel.h"

#include <QLabel>

namespace {

struct Control {
    const char* name;
    QRect geometry;
    QString caption; // run-time caption; empty for the edits
};

QString captionOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    return {};
}

// Every control by its name, at its place, with its French caption. Labels
// size themselves to their caption, so only their left, top and height are
// fixed; titles are centred.
void expectControls(QWidget* dialog, const std::vector<Control>& controls)
{
    for (const Control& c : controls) {
        auto* w = dialog->findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(captionOf(w), c.caption) << c.name;
        if (qobject_cast<TLabel3D*>(w)) {
            EXPECT_EQ(w->y(), c.geometry.y()) << c.name;
            EXPECT_NEAR(w->geometry().center().x(), dialog->width() / 2, 1) << c.name;
            EXPECT_LE(w->fontMetrics().horizontalAdvance(c.caption), w->width()) << c.name;
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(QRect(w->x(), w->y(), 0, w->height()), QRect(c.geometry.x(), c.geometry.y(), 0, c.geometry.height()))
                << c.name;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(c.caption), w->width()) << c.name;
        } else {
            EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        }
    }
}

}

TEST_F(SearchTest, FindDialogLayout)
{
    EXPECT_EQ(Find->windowTitle(), QStringLiteral("Scrivo 2.0 - Find dialog"));
    EXPECT_EQ(Find->size(), QSize(305, 190));
    EXPECT_EQ(Find->panelFind->geometry(), QRect(0, 0, 305, 190));
    EXPECT_EQ(Find->panelFind->bevelOuter(), TPanel::Bevel::Raised);
    EXPECT_EQ(Find->panelFind->bevelInner(), TPanel::Bevel::Lowered);
    expectControls(Find, {
                             {"lbFindTitle", {96, 8, 115, 27}, QStringLiteral("Trouver un mot")},
                             {"lbFindWord", {8, 50, 61, 18}, QStringLiteral("Chercher quoi")},
                             {"zeFindMot", {120, 48, 145, 21}, QString()},
                             {"chkboxFindWord", {32, 88, 177, 21}, QStringLiteral("Mot entier")},
                             {"chkboxFindCase", {32, 112, 169, 21}, QStringLiteral("Respecte Majuscules")},
                             {"btFindStart", {40, 144, 113, 25}, QStringLiteral("Commencer")},
                             {"btFindCancel", {176, 144, 105, 25}, QStringLiteral("Abandonner")},
                         });
    EXPECT_EQ(Find->lbFindTitle->font().pixelSize(), 19);
    EXPECT_TRUE(Find->lbFindTitle->font().bold());
    EXPECT_EQ(Find->lbFindTitle->textStyle(), TLabel3D::Style::Sunken);
    EXPECT_EQ(Find->lbFindWord->font().pixelSize(), 15);
    EXPECT_EQ(Find->zeFindMot->font().pixelSize(), 15);
    EXPECT_EQ(Find->chkboxFindWord->font().pixelSize(), 13);
    EXPECT_EQ(Find->chkboxFindCase->font().pixelSize(), 13);
    EXPECT_EQ(Find->btFindStart->glyphSize(), QSize(23, 23));
    EXPECT_EQ(Find->btFindCancel->glyphSize(), QSize(21, 22));
    EXPECT_FALSE(Find->isVisible());
}

TEST_F(SearchTest, FindReplaceDialogLayout)
{
    EXPECT_EQ(FindReplace->windowTitle(), QStringLiteral("Scrivo 2.0 - Find/Replace dialog"));
    EXPECT_EQ(FindReplace->size(), QSize(305, 221));
    EXPECT_EQ(FindReplace->panelFindReplace->geometry(), QRect(0, 0, 305, 221));
    expectControls(FindReplace,
                   {
                       {"lbFindReplaceTitle", {40, 8, 239, 27}, QStringLiteral("Trouver et remplacer")},
                       {"lbFindReplaceMot", {8, 50, 54, 18}, QStringLiteral("Remplacer")},
                       {"zeFindReplaceMot", {80, 48, 169, 21}, QString()},
                       {"lbFindReplaceBy", {24, 82, 17, 18}, QStringLiteral("par")},
                       {"zeFindReplaceBy", {80, 80, 169, 21}, QString()},
                       {"chkboxFindReplaceWord", {48, 120, 193, 17}, QStringLiteral("Mot entier")},
                       {"chkboxFindReplaceCase", {48, 144, 177, 17}, QStringLiteral("Respecte Majuscules")},
                       {"btFindReplaceStart", {40, 176, 105, 25}, QStringLiteral("Commencer")},
                       {"btFindReplaceCancel", {168, 176, 113, 25}, QStringLiteral("Abandonner")},
                   });
    // A caption never runs into the field beside it.
    EXPECT_LT(FindReplace->lbFindReplaceMot->geometry().right(), FindReplace->zeFindReplaceMot->x());
    EXPECT_LT(FindReplace->lbFindReplaceBy->geometry().right(), FindReplace->zeFindReplaceBy->x());
    EXPECT_LT(Find->lbFindWord->geometry().right(), Find->zeFindMot->x());
    EXPECT_TRUE(FindReplace->btFindReplaceStart->hasGlyph());
    EXPECT_TRUE(FindReplace->btFindReplaceCancel->hasGlyph());
}

TEST_F(SearchTest, TabInTheFindReplaceDialogGoesFromTheWordToTheOptionsThenToTheReplacement)
{
    answerModal<TFindReplace>([](TFindReplace* d) {
        // The dialog is modal before its window is active: on a busy machine
        // the focus arrives a little later.
        EXPECT_TRUE(QTest::qWaitFor([d] { return QApplication::focusWidget() == d->zeFindReplaceMot; }));
        const QWidget* expected[] = {d->chkboxFindReplaceWord, d->chkboxFindReplaceCase, d->zeFindReplaceBy,
                                     d->zeFindReplaceMot};
        for (const QWidget* w : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), w);
        }
        QTest::mouseClick(d->btFindReplaceCancel, Qt::LeftButton);
    });
    Fp->mnuFindReplace->trigger();
}

TEST_F(SearchTest, TabInTheFindDialogSkipsTheButtons)
{
    answerModal<TFind>([](TFind* d) {
        EXPECT_TRUE(QTest::qWaitFor([d] { return QApplication::focusWidget() == d->zeFindMot; }));
        const QWidget* expected[] = {d->chkboxFindWord, d->chkboxFindCase, d->zeFindMot};
        for (const QWidget* w : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), w);
        }
        // Pressing a flat button does not take the focus either.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::mousePress(d->btFindCancel, Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget(), d->chkboxFindWord);
        QTest::mouseRelease(d->btFindCancel, Qt::LeftButton);
    });
    Fp->mnuFind->trigger();
}

TEST_F(SearchTest, FindReplaceShowsNoSelection)
{
    setText(QStringLiteral("cat"));
    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    answerModal<TFindReplace>([](TFindReplace* d) {
        EXPECT_EQ(d->zeFindReplaceMot->text(), QStringLiteral("cat"));
        EXPECT_EQ(d->zeFindReplaceBy->text(), QStringLiteral("dog"));
        EXPECT_FALSE(d->zeFindReplaceMot->hasSelectedText());
        EXPECT_FALSE(d->zeFindReplaceBy->hasSelectedText());
        QTest::mouseClick(d->btFindReplaceCancel, Qt::LeftButton);
    });
    Fp->mnuFindReplace->trigger();
}

TEST_F(SearchTest, DialogsShowCentredOverTheMainWindow)
{
    Fp->setGeometry(101, 53, 777, 491);
    QApplication::processEvents();
    QPoint findAt, replaceAt;
    answerModal<TFind>([&](TFind* d) {
        findAt = d->frameGeometry().topLeft();
        QTest::mouseClick(d->btFindCancel, Qt::LeftButton);
    });
    Fp->mnuFind->trigger();
    answerModal<TFindReplace>([&](TFindReplace* d) {
        replaceAt = d->frameGeometry().topLeft();
        QTest::mouseClick(d->btFindReplaceCancel, Qt::LeftButton);
    });
    Fp->mnuFindReplace->trigger();
    const QRect main = Fp->frameGeometry();
    EXPECT_EQ(findAt, TDialogForm::centredOver(main, Find->frameGeometry().size()));
    EXPECT_EQ(replaceAt, TDialogForm::centredOver(main, FindReplace->frameGeometry().size()));
    // Each division truncates toward zero, also when the dialog is the wider.
    EXPECT_EQ(TDialogForm::centredOver(QRect(10, 10, 300, 180), QSize(305, 190)), QPoint(8, 5));
}

TEST_F(SearchTest, TheStateOfTheDialogsIsKeptBetweenOpenings)
{
    setText(QStringLiteral("Cat cat"));
    find(QStringLiteral("cat"), true, true);
    answerModal<TFind>([](TFind* d) {
        EXPECT_TRUE(d->chkboxFindWord->isChecked());
        EXPECT_TRUE(d->chkboxFindCase->isChecked());
        // The options are toggled by the user with the mouse.
        QTest::mouseClick(d->chkboxFindCase, Qt::LeftButton, {}, QPoint(6, d->chkboxFindCase->height() / 2));
        QTest::mouseClick(d->btFindStart, Qt::LeftButton);
    });
    Fp->mnuFind->trigger();
    EXPECT_FALSE(Find->chkboxFindCase->isChecked());
    EXPECT_EQ(selStart(), 0);
}
