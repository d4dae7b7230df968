#include "support/modal.h"
#include "support/programfixture.h"

#include "about/tabout.h"
#include "app/stringtable.h"
#include "options/colorcombobox.h"
#include "options/fontcombobox.h"
#include "options/toption.h"
#include "platform/errors.h"
#include "search/tfind.h"
#include "search/tfindreplace.h"
#include "widgets/checkbox.h"
#include "widgets/clicklabel.h"
#include "widgets/label3d.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"
#include "widgets/radiogroup.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {
QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}
}

TEST_F(ProgramTest, FirstStartShowsTheDesignedWindow)
{
    EXPECT_EQ(Fp->pos(), QPoint(382, 311));
    EXPECT_EQ(Fp->size(), QSize(800, 600));
    EXPECT_EQ(Fp->pageEdition->count(), 1);
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("Nouvelle page"));
    EXPECT_TRUE(Fp->lbFpInfoFichier->text().isEmpty());
    EXPECT_FALSE(Fp->statusbarFp->isVisible());
    EXPECT_FALSE(Fp->statusbarFp->property("Visible").toBool());
    EXPECT_TRUE(Fp->panelFpExplorateur->isVisible());
    EXPECT_EQ(Fp->panelFpExplorateur->panelWidth(), 217);
    EXPECT_EQ(Fp->panelFpBouton->width(), 40);
    EXPECT_EQ(applicationTitle(), QStringLiteral("Scrivo 2.0"));
    // Only the main window shows; the dialogs exist, hidden.
    EXPECT_FALSE(About->isVisible());
    EXPECT_FALSE(Find->isVisible());
    EXPECT_FALSE(FindReplace->isVisible());
    EXPECT_FALSE(Option->isVisible());
}

TEST_F(ProgramTest, MenusAreFrenchWithTheirSeparators)
{
    QStringList titles;
    for (const QAction* a : Fp->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Fichier", "Edition", "Options", "A propos de ..."}));
    EXPECT_EQ(actionTexts(Fp->mnuFile),
              (QStringList{"Nouveau", "Ouvrir", "Fermer", "Fermer tout", "-", "Sauver", "Sauver tout",
                           "Enregistrer sous...", "-", "Quitter"}));
    EXPECT_EQ(actionTexts(Fp->mnuEdition),
              (QStringList{"Copier", "Couper", "Coller", "-", "Trouver", "Trouver / Remplacer", "Suivant", "-",
                           "Insertion", "-", "Défaire", "Vider Défaire"}));
    EXPECT_EQ(actionTexts(Fp->mnuInsertion),
              (QStringList{"Date (US)", "Date (Europe)", "Temps (US)", "Temps (Europe)"}));
    // Ctrl+Q on "Quitter" and Ctrl+Shift+S on "Enregistrer sous..." are the
    // only short-cuts of the main menu (the file dialogs keep their own).
    for (QMenu* menu : {Fp->mnuFile, Fp->mnuEdition, Fp->mnuInsertion})
        for (QAction* a : menu->actions()) {
            if (a != Fp->mnuExit && a != Fp->mnuSaveAs) {
                EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
            }
        }
    EXPECT_TRUE(Fp->mnuOption->shortcut().isEmpty());
    EXPECT_TRUE(Fp->mnuAbout->shortcut().isEmpty());
    EXPECT_EQ(Fp->mnuExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_FALSE(Fp->mnuSave->isEnabled());
    EXPECT_FALSE(Fp->mnuSaveAll->isEnabled());
    EXPECT_FALSE(Fp->mnuNext->isEnabled());
}

TEST_F(ProgramTest, ToolbarHasFiveWorkingButtonsAndSixDisabledSpares)
{
    const QList<QToolButton*> order{Fp->btNew, Fp->btClose, Fp->btSave, Fp->btSaveAll, Fp->btOpen};
    int lastY = -1;
    for (QToolButton* b : order) {
        EXPECT_EQ(b->size(), QSize(34, 30));
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_GT(b->y(), lastY) << "stacked from the top in order";
        lastY = b->y();
    }
    EXPECT_EQ(Fp->btNew->toolTip(), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(Fp->btClose->toolTip(), QStringLiteral("Fermer fichier"));
    EXPECT_EQ(Fp->btSave->toolTip(), QStringLiteral("Sauver fichier"));
    EXPECT_EQ(Fp->btSaveAll->toolTip(), QStringLiteral("Sauver Tout"));
    EXPECT_EQ(Fp->btOpen->toolTip(), QStringLiteral("Ouvrir fichier"));
    EXPECT_FALSE(Fp->btSave->isEnabled());
    EXPECT_FALSE(Fp->btSaveAll->isEnabled());
    for (QToolButton* spare : Fp->btSpare) {
        EXPECT_FALSE(spare->isEnabled());
        EXPECT_TRUE(spare->icon().isNull());
        EXPECT_TRUE(spare->toolTip().isEmpty());
        EXPECT_GT(spare->y(), lastY);
        lastY = spare->y();
    }
}

TEST_F(ProgramTest, WindowManagerCloseIsRefusedAndQuitterEndsTheProgram)
{
    QCloseEvent refused;
    QApplication::sendEvent(Fp, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_TRUE(Fp->isVisible());
    EXPECT_FALSE(Fp->windowFlags() & Qt::WindowCloseButtonHint);

    Fp->mnuExit->trigger();
    EXPECT_EQ(m_terminated, 1);
    EXPECT_TRUE(Fp->isTerminating());
    QCloseEvent accepted;
    QApplication::sendEvent(Fp, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
}

TEST_F(ProgramTest, FormsAreCreatedInOrderWithTheirGeometry)
{
    EXPECT_EQ(About->size(), QSize(342, 262));
    EXPECT_EQ(Find->size(), QSize(305, 190));
    EXPECT_EQ(FindReplace->size(), QSize(305, 221));
    EXPECT_EQ(Option->size(), QSize(501, 315));
    EXPECT_EQ(Find->windowTitle(), QStringLiteral("Scrivo 2.0 - Find dialog"));
    EXPECT_EQ(FindReplace->windowTitle(), QStringLiteral("Scrivo 2.0 - Find/Replace dialog"));
    EXPECT_EQ(Option->windowTitle(), QStringLiteral("Scrivo 2.0 - Options"));
    EXPECT_FALSE(Option->windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(ProgramTest, OptionsCaptionsAreFrench)
{
    EXPECT_EQ(Option->comboOptionColorEditeur->currentText(), QStringLiteral("White"));
    EXPECT_EQ(Option->chkboxOptionStatusBar->text(), QStringLiteral("Bar de status"));
    EXPECT_EQ(Option->chkboxOptionAllFileSaved2->text(), QStringLiteral(" sauvé(s)en quittant."));
    EXPECT_EQ(Option->rdgroupOptionTabPosition->title(), QStringLiteral("Position onglets"));
    QStringList items;
    for (int i = 0; i < 4; ++i)
        items << Option->rdgroupOptionTabPosition->item(i)->text();
    EXPECT_EQ(items, (QStringList{"Haut", "Droite", "Gauche", "Bas"}));
    EXPECT_EQ(Option->lbOptionExit->text(), QStringLiteral("Click here to exit"));
    EXPECT_EQ(Option->chkboxOptionAllFileSaved->toolTip(), QStringLiteral("You can't exit if one file is not saved"));
}

TEST_F(ProgramTest, ErrorTextsGetTheFullStopRule)
{
    EXPECT_EQ(withFullStop(QStringLiteral("Cannot open file /x")), QStringLiteral("Cannot open file /x."));
    EXPECT_EQ(withFullStop(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(withFullStop(QStringLiteral("Stop!")), QStringLiteral("Stop!"));
    EXPECT_EQ(withFullStop(QStringLiteral("(a)")), QStringLiteral("(a)"));
    EXPECT_EQ(withFullStop(QStringLiteral("1")), QStringLiteral("1."));
    EXPECT_EQ(withFullStop(QStringLiteral("x,")), QStringLiteral("x,"));
    EXPECT_EQ(withFullStop(QString()), QString());

    // A handler's error is reported and the program goes on.
    ErrorRecorder errors;
    bool after = false;
    auto handler = guarded([] { throw ScrivoError(QStringLiteral("Cannot create file /nope")); });
    handler();
    after = true;
    EXPECT_TRUE(after);
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("Cannot create file /nope.")});
}

TEST_F(ProgramTest, TheErrorBoxIsCaptionedWithTheApplicationTitle)
{
    const ErrorReporter previous = setErrorReporter({});
    QString caption, text;
    answerModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    reportError(QStringLiteral("Cannot open file /a"));
    setErrorReporter(previous);
    EXPECT_EQ(caption, QStringLiteral("Scrivo 2.0"));
    EXPECT_EQ(text, QStringLiteral("Cannot open file /a."));
}

TEST(StringTable, HoldsEveryCaptionOfTheFormsOnce)
{
    const QList<int> ids = StringTable::ids();
    // Main window 65168..65199, Find 65216..65220 + 65247, Find/Replace
    // 65221..65227, Options 65200..65215 and 65228..65231.
    for (int id = 65168; id <= 65231; ++id)
        EXPECT_TRUE(StringTable::contains(id)) << id;
    EXPECT_TRUE(StringTable::contains(sFindTitle));
    EXPECT_EQ(ids.size(), 65);
    EXPECT_EQ(StringTable::text(sMenuSaveAs), QStringLiteral("Enregistrer sous..."));
    EXPECT_EQ(StringTable::text(sEmpty), QString());
    EXPECT_EQ(StringTable::text(sNewPage), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(StringTable::text(sMenuUndo), QStringLiteral("Défaire"));
    EXPECT_EQ(StringTable::text(sOptionAllFileSaved2), QStringLiteral(" sauvé(s)en quittant."));
    EXPECT_TRUE(StringTable::text(1).isEmpty());
}
