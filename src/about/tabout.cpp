#include "about/tabout.h"

TAbout::TAbout(QWidget* mainWindow) : TDialogForm(mainWindow, QSize(342, 262), QStringLiteral("Orvik's Softs"))
{
    setObjectName(QStringLiteral("About"));
}
