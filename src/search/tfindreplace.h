#pragma once

#include "widgets/dialogform.h"

class QLabel;
class QLineEdit;
class TCheckBox;
class TFlatButton;
class TLabel3D;
class TPanel;

// The Find/Replace dialog: the word, its replacement and the two options,
// kept between openings. exec() returns 1 for Start, 2 for Cancel.
class TFindReplace : public TDialogForm {
    Q_OBJECT
public:
    explicit TFindReplace(QWidget* mainWindow);
    ~TFindReplace() override;

    void setVisible(bool visible) override;

    TPanel* panelFindReplace = nullptr;
    TLabel3D* lbFindReplaceTitle = nullptr;
    QLabel* lbFindReplaceMot = nullptr;
    QLineEdit* zeFindReplaceMot = nullptr;
    QLabel* lbFindReplaceBy = nullptr;
    QLineEdit* zeFindReplaceBy = nullptr;
    TCheckBox* chkboxFindReplaceWord = nullptr;
    TCheckBox* chkboxFindReplaceCase = nullptr;
    TFlatButton* btFindReplaceStart = nullptr;
    TFlatButton* btFindReplaceCancel = nullptr;

    void btFindReplaceStartClick();
    void btFindReplaceCancelClick();

private:
    void buildLayout();
    void FormCreate();
    void FormShow();
};
