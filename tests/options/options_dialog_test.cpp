#include "options/optionsinput.h"

#include "editor/tredit.h"
#include "options/colorcombobox.h"
#include "options/fontcombobox.h"
#include "explorer/listview.h"
#include "explorer/treeview.h"
#include "settings/profilefile.h"
#include "support/programfixture.h"
#include "widgets/checkbox.h"
#include "widgets/clicklabel.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"
#include "widgets/radiogroup.h"
#include "widgets/statusbar.h"

#include <QFontDatabase>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>

using namespace OptionsInput;

namespace {

class OptionsDialogTest : public ProgramTest {
protected:
    static QColor base(const QWidget* w) { return w->palette().color(QPalette::Base); }
    static QColor text(const QWidget* w) { return w->palette().color(QPalette::Text); }

    // An installed family other than the one editors start with.
    static QString otherFamily(const QFont& current)
    {
        for (const QString& family : QFontDatabase::families())
            if (family.compare(current.family(), Qt::CaseInsensitive) != 0 && !QFontDatabase::isPrivateFamily(family))
                return family;
        return {};
    }
};

}

TEST_F(OptionsDialogTest, StartsWithItsDefaultsAndShowsNothingOfThem)
{
    for (TCheckBox* box : {Option->chkboxOptionStatusBar, Option->chkboxOptionExplorer,
                           Option->chkboxOptionFileInformation, Option->chkboxOptionToolbar,
                           Option->chkboxOptionAllFileSaved, Option->chkboxOptionSeveralTimes})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(Option->rdgroupOptionTabPosition->itemIndex(), 0);
    EXPECT_EQ(Option->comboOptionColorEditeur->colorValue(), Colors::clWhite);
    EXPECT_EQ(Option->comboOptionColorExplorer->colorValue(), Colors::clWhite);
    EXPECT_EQ(Option->comboOptionColorFontEditeur->colorValue(), Colors::clBlack);
    EXPECT_EQ(Option->comboOptionColorFontExplorer->colorValue(), Colors::clBlack);
    EXPECT_EQ(Option->comboOptionFontEditeur->fontName(), QString());
    EXPECT_EQ(Option->comboOptionFontExplorer->fontName(), QString());
    // "Bar de status" reads ticked while the bar is hidden.
    EXPECT_FALSE(Fp->statusbarFp->isVisible());
    EXPECT_EQ(Option->windowTitle(), QStringLiteral("Scrivo 2.0 - Options"));
    EXPECT_EQ(Option->chkboxOptionStatusBar->text(), QStringLiteral("Bar de status"));
}

TEST_F(OptionsDialogTest, DisplayBoxesShowAndHideTheMainWindowsParts)
{
    useOptions([](TOption* dialog) {
        click(dialog->chkboxOptionStatusBar);
        EXPECT_FALSE(Fp->statusbarFp->isVisible());
        click(dialog->chkboxOptionStatusBar);
        EXPECT_TRUE(Fp->statusbarFp->isVisible());

        // The explorer box answers the mouse only.
        space(dialog->chkboxOptionExplorer);
        EXPECT_FALSE(dialog->chkboxOptionExplorer->isChecked());
        EXPECT_TRUE(Fp->panelFpExplorateur->isVisible());
        click(dialog->chkboxOptionExplorer);
        EXPECT_TRUE(Fp->panelFpExplorateur->isVisible());
        click(dialog->chkboxOptionExplorer);
        EXPECT_FALSE(Fp->panelFpExplorateur->isVisible());

        space(dialog->chkboxOptionFileInformation);
        EXPECT_FALSE(Fp->panelFpInfoFichier->isVisible());
        click(dialog->chkboxOptionToolbar);
        EXPECT_FALSE(Fp->panelFpBouton->isVisible());
        space(dialog->chkboxOptionToolbar);
        EXPECT_TRUE(Fp->panelFpBouton->isVisible());

        // The two behaviour switches show nothing.
        click(dialog->chkboxOptionAllFileSaved);
        click(dialog->chkboxOptionSeveralTimes);
        EXPECT_FALSE(dialog->chkboxOptionAllFileSaved->isChecked());
        EXPECT_FALSE(dialog->chkboxOptionSeveralTimes->isChecked());
    });
    EXPECT_FALSE(Option->isVisible());
    EXPECT_TRUE(Fp->statusbarFp->isVisible());
    EXPECT_FALSE(Fp->panelFpExplorateur->isVisible());
    EXPECT_FALSE(Fp->panelFpInfoFichier->isVisible());
    EXPECT_TRUE(Fp->panelFpBouton->isVisible());
}

TEST_F(OptionsDialogTest, TabPositionMovesTheEditorTabs)
{
    TPageControl* page = Fp->pageEdition;
    useOptions([page](TOption* dialog) {
        TRadioGroup* group = dialog->rdgroupOptionTabPosition;
        click(group->item(1));
        EXPECT_EQ(page->tabPosition(), QTabWidget::East);
        EXPECT_TRUE(page->multiLine());
        click(group->item(0));
        EXPECT_EQ(page->tabPosition(), QTabWidget::North);
        EXPECT_FALSE(page->multiLine());
        click(group->item(2));
        EXPECT_EQ(page->tabPosition(), QTabWidget::West);
        EXPECT_TRUE(page->multiLine());
        click(group->item(3));
        EXPECT_EQ(page->tabPosition(), QTabWidget::South);
        EXPECT_FALSE(page->multiLine());
    });
}

TEST_F(OptionsDialogTest, EditorColoursAndFontReachEveryOpenEditor)
{
    Fp->btNewClick();
    Fp->btNewClick();
    docs().activate(1);
    Fp->btCloseClick(); // slots 0 and 2 open, 1 free
    ASSERT_EQ(docs().OpenDocumentCount(), 2);
    const QFont startFont = docs().slot(0).Editor->font();
    const QString family = otherFamily(startFont);
    ASSERT_FALSE(family.isEmpty());

    useOptions([&family](TOption* dialog) {
        pick(dialog->comboOptionColorEditeur, QStringLiteral("Red"));
        pick(dialog->comboOptionColorFontEditeur, QStringLiteral("Navy"));
        pick(dialog->comboOptionFontEditeur, family);
        EXPECT_EQ(dialog->comboOptionFontEditeur->fontName(), family);
    });
    for (int slot : {0, 2}) {
        const TREdit* editor = docs().slot(slot).Editor;
        EXPECT_EQ(base(editor), QColor(255, 0, 0)) << slot;
        EXPECT_EQ(text(editor), QColor(0, 0, 128)) << slot;
        EXPECT_EQ(editor->font().family(), family) << slot;
        EXPECT_EQ(editor->font().pointSize(), 10) << slot;
        EXPECT_EQ(editor->font().bold(), startFont.bold()) << slot;
    }
    // A document made afterwards looks the same.
    ASSERT_EQ(docs().New(), 1);
    EXPECT_EQ(base(docs().slot(1).Editor), QColor(255, 0, 0));
    EXPECT_EQ(text(docs().slot(1).Editor), QColor(0, 0, 128));
    EXPECT_EQ(docs().slot(1).Editor->font().family(), family);

    // A font colour leaves the background alone.
    useOptions([](TOption* dialog) { pick(dialog->comboOptionColorFontEditeur, QStringLiteral("Green")); });
    EXPECT_EQ(base(docs().slot(0).Editor), QColor(255, 0, 0));
    EXPECT_EQ(text(docs().slot(0).Editor), QColor(0, 128, 0));
}

TEST_F(OptionsDialogTest, ExplorerColoursAndFontReachBothExplorerViews)
{
    const QString family = otherFamily(Fp->listviewFp->font());
    useOptions([&family](TOption* dialog) {
        pick(dialog->comboOptionColorExplorer, QStringLiteral("Teal"));
        pick(dialog->comboOptionColorFontExplorer, QStringLiteral("Yellow"));
        pick(dialog->comboOptionFontExplorer, family);
    });
    for (QWidget* view : {static_cast<QWidget*>(Fp->treeviewFp), static_cast<QWidget*>(Fp->listviewFp)}) {
        EXPECT_EQ(base(view), QColor(0, 128, 128));
        EXPECT_EQ(text(view), QColor(255, 255, 0));
        EXPECT_EQ(view->font().family(), family);
    }
    // The editors are not the explorer's.
    EXPECT_EQ(base(docs().slot(0).Editor), QColor(255, 255, 255));
}

TEST_F(OptionsDialogTest, ExitLabelClosesWithOk)
{
    answerModal<TOption>([](TOption* dialog) { QTest::mouseClick(dialog->lbOptionExit, Qt::LeftButton); });
    EXPECT_EQ(Option->exec(), 1);
    EXPECT_FALSE(Option->isVisible());
}

TEST_F(OptionsDialogTest, EscapeLeavesAsTheExitLabelDoes)
{
    answerModal<TOption>([](TOption* dialog) {
        click(dialog->chkboxOptionSeveralTimes);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(Option->exec(), 1);
    EXPECT_FALSE(Option->isVisible());
    // The choice stays and is saved, as every closing saves it.
    EXPECT_FALSE(Option->chkboxOptionSeveralTimes->isChecked());
    EXPECT_EQ(ProfileFile(ProfileFile::defaultPath())
                  .value(QStringLiteral("TOption"), QStringLiteral("chkboxOptionSeveralTimes_Checked")),
              QStringLiteral("False"));
}

TEST_F(OptionsDialogTest, ClosingWritesTheMainWindowsPanelsWithTheOptions)
{
    const auto stored = [](const char* section, const char* key) {
        return ProfileFile(ProfileFile::defaultPath())
            .value(QString::fromLatin1(section), QString::fromLatin1(key))
            .value_or(QStringLiteral("<none>"));
    };
    useOptions([](TOption* dialog) {
        click(dialog->chkboxOptionExplorer);
        click(dialog->chkboxOptionStatusBar);
    });
    // Both sections at once: a kill now finds them agreeing.
    EXPECT_EQ(stored("TOption", "chkboxOptionExplorer_Checked"), QStringLiteral("False"));
    EXPECT_EQ(stored("TFp", "panelFpExplorateur_Visible"), QStringLiteral("False"));
    EXPECT_EQ(stored("TFp", "statusbarFp_Visible"), QStringLiteral("False"));

    // Written again on the way out, with what changed since.
    Fp->statusbarFp->show();
    stop();
    EXPECT_EQ(stored("TFp", "statusbarFp_Visible"), QStringLiteral("True"));
}

TEST_F(OptionsDialogTest, TabCaptionsStayWholeAfterASideAndBack)
{
    TPageControl* page = Fp->pageEdition;
    for (int i = 0; i < 30; ++i)
        Fp->btNewClick();
    QApplication::processEvents();
    QTabBar* bar = page->tabBar();
    const auto widths = [bar] {
        QList<int> all;
        for (int i = 0; i < bar->count(); ++i)
            all << bar->tabRect(i).width();
        return all;
    };
    const auto arrowsShown = [bar] {
        int shown = 0;
        for (const QToolButton* arrow : bar->findChildren<QToolButton*>())
            shown += arrow->isVisible() ? 1 : 0;
        return shown;
    };
    const QList<int> atStart = widths();
    ASSERT_EQ(arrowsShown(), 2) << "the row must be too long for the window";

    for (int side : {1, 2}) {
        for (int row : {0, 3}) {
            useOptions([side, row](TOption* dialog) {
                click(dialog->rdgroupOptionTabPosition->item(side));
                click(dialog->rdgroupOptionTabPosition->item(row));
            });
            QApplication::processEvents();
            EXPECT_EQ(widths(), atStart) << side << " then " << row;
            EXPECT_EQ(arrowsShown(), 2) << side << " then " << row;
        }
    }
}

TEST_F(OptionsDialogTest, EveryCaptionFitsItsControl)
{
    const QList<QWidget*> captions = Option->findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* control : captions) {
        if (!qobject_cast<QLabel*>(control) && !qobject_cast<QAbstractButton*>(control))
            continue;
        if (qobject_cast<QAbstractButton*>(control) && qobject_cast<QRadioButton*>(control))
            continue; // laid out by their group
        EXPECT_LE(control->sizeHint().width(), control->width()) << control->objectName().toStdString();
        EXPECT_LE(control->geometry().right(), control->parentWidget()->width()) << control->objectName().toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 19); // twelve labels, six boxes, the exit label
}
