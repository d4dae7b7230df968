#pragma once

#include "widgets/dialogform.h"

// The About box.
class TAbout : public TDialogForm {
    Q_OBJECT
public:
    explicit TAbout(QWidget* mainWindow);
};
