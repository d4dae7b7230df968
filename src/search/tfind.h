#pragma once

#include "widgets/dialogform.h"

// The Find dialog.
class TFind : public TDialogForm {
    Q_OBJECT
public:
    explicit TFind(QWidget* mainWindow);
};
