#pragma once

#include "widgets/dialogform.h"

#include <functional>

class TCheckBox;
class TClickLabel;
class TColorComboBox;
class TFontComboBox;
class TPanel;
class TRadioGroup;
class QLabel;

// The Options dialog. Its thirteen control values are the user's options:
// the main window reads them when it creates an editor, opens a file or
// exits. Program code sets them silently; only a user's action runs a
// handler.
class TOption : public TDialogForm {
    Q_OBJECT
public:
    // startupDocument runs last in the form's creation, once the values are
    // in place: it gives the program its first document.
    TOption(QWidget* mainWindow, std::function<void()> startupDocument);
    ~TOption() override;

    TPanel* panelOption = nullptr;
    TPanel* panelOption1 = nullptr;
    QLabel* lbOption1Title = nullptr;
    TCheckBox* chkboxOptionStatusBar = nullptr;
    TCheckBox* chkboxOptionExplorer = nullptr;
    TCheckBox* chkboxOptionFileInformation = nullptr;
    TCheckBox* chkboxOptionToolbar = nullptr;
    TCheckBox* chkboxOptionAllFileSaved = nullptr;
    QLabel* chkboxOptionAllFileSaved2 = nullptr;
    TCheckBox* chkboxOptionSeveralTimes = nullptr;
    QLabel* chkboxOptionSeveralTimes2 = nullptr;
    TPanel* panelOption2 = nullptr;
    QLabel* lbOption2Title = nullptr;
    QLabel* lbOptionExplorer = nullptr;
    QLabel* lbOption2TitleEditor = nullptr;
    QLabel* lbOptionColorExplorer = nullptr;
    TColorComboBox* comboOptionColorExplorer = nullptr;
    QLabel* lbOptionColorFontExplorer = nullptr;
    TColorComboBox* comboOptionColorFontExplorer = nullptr;
    QLabel* lbOptionFontExplorer = nullptr;
    TFontComboBox* comboOptionFontExplorer = nullptr;
    QLabel* lbOptionColorEditeur = nullptr;
    TColorComboBox* comboOptionColorEditeur = nullptr;
    QLabel* lbOptionColorFontEditeur = nullptr;
    TColorComboBox* comboOptionColorFontEditeur = nullptr;
    QLabel* lbOptionFontEditeur = nullptr;
    TFontComboBox* comboOptionFontEditeur = nullptr;
    TRadioGroup* rdgroupOptionTabPosition = nullptr;
    TClickLabel* lbOptionExit = nullptr;

private:
    void buildLayout();
    void translateCaptions();
};
