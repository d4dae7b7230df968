#include "search/tfind.h"

TFind::TFind(QWidget* mainWindow) : TDialogForm(mainWindow, QSize(305, 190), QStringLiteral("Find dialog"))
{
    setObjectName(QStringLiteral("Find"));
}
