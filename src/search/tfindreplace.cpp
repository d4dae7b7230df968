#include "search/tfindreplace.h"

TFindReplace::TFindReplace(QWidget* mainWindow)
    : TDialogForm(mainWindow, QSize(305, 221), QStringLiteral("Find/Replace dialog"))
{
    setObjectName(QStringLiteral("FindReplace"));
}
