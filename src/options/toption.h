#pragma once

#include "widgets/dialogform.h"

#include <QPointer>

#include <array>
#include <functional>

class TCheckBox;
class TClickLabel;
class TColorComboBox;
class TFontComboBox;
class TFormStorage;
class TPageControl;
class TPanel;
class TRadioGroup;
class TREdit;
class QLabel;

// The parts of the main window the Options dialog acts on, handed over by
// the main window.
struct OptionTargets {
    QPointer<QWidget> statusBar;          // statusbarFp
    QPointer<QWidget> explorerPane;       // panelFpExplorateur
    QPointer<QWidget> fileInformationBar; // panelFpInfoFichier
    QPointer<QWidget> toolbarPanel;       // panelFpBouton
    QPointer<TPageControl> pageEdition;
    // The explorer's folder tree and file list, tree first.
    std::array<QPointer<QObject>, 2> explorerViews;
    // Runs a function on the editor of every open document, in slot order.
    std::function<void(const std::function<void(TREdit*)>&)> forEachOpenEditor;
};

// The Options dialog. Its thirteen control values are the user's options:
// the main window reads them when it creates an editor, opens a file or
// exits. Program code sets them silently; only a user's action runs a
// handler.
class TOption : public TDialogForm {
    Q_OBJECT
public:
    // The form's creation restores the stored values, translates the
    // captions, then runs startupDocument, which gives the program its first
    // document with the values in place. It is handed the form, complete but
    // for its caller's knowing of it.
    TOption(QWidget* mainWindow, OptionTargets targets, std::function<void(TOption*)> startupDocument);
    ~TOption() override;

    // Handlers, run by the user's actions only.
    void chkboxOptionStatusBarChange();
    void chkboxOptionExplorerClick();
    void chkboxOptionFileInformationChange();
    void chkboxOptionToolbarChange();
    void rdgroupOptionTabPositionChange();
    void comboOptionColorEditeurClick();
    void comboOptionColorFontEditeurClick();
    void comboOptionFontEditeurClick();
    void comboOptionColorExplorerClick();
    void comboOptionColorFontExplorerClick();
    void comboOptionFontExplorerClick();
    void lbOptionExitClick();

    // Escape (and a close request of the window manager) leaves the box as
    // its exit label does: the box has no close button, and the label takes
    // no keyboard focus, so this is the keyboard's way out.
    void reject() override;

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
    TFormStorage* formstorageOption = nullptr;

    // The thirteen values, in the order the settings store keeps them.
    static const QStringList& storedProps();

private:
    void buildLayout();
    void connectHandlers();
    void translateCaptions();
    void fitCaptions();
    void forEachOpenEditor(const std::function<void(TREdit*)>& apply) const;

    OptionTargets m_targets;
};
