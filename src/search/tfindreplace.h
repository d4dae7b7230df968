#pragma once

#include "widgets/dialogform.h"

// The Find/Replace dialog.
class TFindReplace : public TDialogForm {
    Q_OBJECT
public:
    explicit TFindReplace(QWidget* mainWindow);
};
