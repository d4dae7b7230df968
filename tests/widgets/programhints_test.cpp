#include "support/programfixture.h"

#include "widgets/hintballoon.h"
#include "widgets/hintmanager.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolButton>

namespace {
QString hintShownOver(QWidget* widget)
{
    const QPoint local = widget->rect().center();
    QHelpEvent help(QEvent::ToolTip, local, widget->mapToGlobal(local));
    QApplication::sendEvent(widget, &help);
    THintBalloon* balloon = Fp->hintFp->balloon();
    return balloon->isVisible() ? balloon->text() : QString();
}
}

TEST_F(ProgramTest, ToolbarHintsShowInBalloons)
{
    EXPECT_EQ(hintShownOver(Fp->btNew), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(hintShownOver(Fp->btOpen), QStringLiteral("Ouvrir fichier"));
    // Above and to the left of the pointer.
    const QRect balloon = Fp->hintFp->balloon()->geometry();
    const QPoint pointer = Fp->btOpen->mapToGlobal(Fp->btOpen->rect().center());
    EXPECT_LE(balloon.right(), pointer.x());
    EXPECT_LE(balloon.bottom(), pointer.y());
    // Disabled buttons keep theirs.
    EXPECT_EQ(hintShownOver(Fp->btSave), QStringLiteral("Sauver fichier"));
}

TEST_F(ProgramTest, MenuItemsHavePictures)
{
    for (QAction* action : {Fp->mnuNew, Fp->mnuOpen, Fp->mnuClose, Fp->mnuSave, Fp->mnuSaveAll, Fp->mnuCopy,
                            Fp->mnuCut, Fp->mnuPaste, Fp->mnuDateUs, Fp->mnuDateEurope, Fp->mnuTimeUs,
                            Fp->mnuTimeEurope}) {
        EXPECT_FALSE(action->icon().pixmap(16, 16).isNull()) << action->objectName().toStdString();
    }
    for (QAction* action : {Fp->mnuCloseAll, Fp->mnuExit, Fp->mnuFind, Fp->mnuUndo})
        EXPECT_TRUE(action->icon().isNull()) << action->objectName().toStdString();
}
