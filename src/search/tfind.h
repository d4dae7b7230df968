#pragma once

#include "widgets/dialogform.h"

class QLabel;
class QLineEdit;
class TCheckBox;
class TFlatButton;
class TLabel3D;
class TPanel;

// The Find dialog: the word to find and the two options. It lives for the
// whole run, so the word and the options stay between openings. exec()
// returns 1 for Start, 2 for Cancel.
class TFind : public TDialogForm {
    Q_OBJECT
public:
    explicit TFind(QWidget* mainWindow);
    ~TFind() override;

    void setVisible(bool visible) override;

    TPanel* panelFind = nullptr;
    TLabel3D* lbFindTitle = nullptr;
    QLabel* lbFindWord = nullptr;
    QLineEdit* zeFindMot = nullptr;
    TCheckBox* chkboxFindWord = nullptr;
    TCheckBox* chkboxFindCase = nullptr;
    TFlatButton* btFindStart = nullptr;
    TFlatButton* btFindCancel = nullptr;

    void btFindStartClick();
    void btFindCancelClick();

private:
    void buildLayout();
    void FormCreate();
    void FormShow();
};
