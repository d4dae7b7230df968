#pragma once

#include "widgets/dialogform.h"

#include <QStringList>

class QLabel;
class TClickLabel;
class TLabel3D;
class TLinkLabel;
class TPanel;
class TScrollingText;

// The About box: the program's name and version, the maker's logo, a
// scrolling note on the distribution terms, the maker's postal address and
// three links. Its texts stay in English. It is closed by its exit label.
class TAbout : public TDialogForm {
    Q_OBJECT
public:
    explicit TAbout(QWidget* mainWindow);

    // The maker's addresses.
    static const QString kWebAddress;
    static const QString kMailAddress;
    static QStringList addressLines();
    // The bilingual distribution note, line by line.
    static QStringList noteLines();

    TPanel* panelAbout = nullptr;
    QLabel* imgAboutLogo1 = nullptr;
    QLabel* imgAboutLogo2 = nullptr;
    TLabel3D* lbAboutTitre = nullptr;
    TScrollingText* lbAboutInfo1 = nullptr;
    TLinkLabel* urlAboutWeb = nullptr;
    QLabel* lbAboutVersion = nullptr;
    TPanel* lbAboutInfo2 = nullptr;
    QLabel* lbAboutSuggestions = nullptr;
    TLinkLabel* urlAboutSuggestions = nullptr;
    TPanel* panelAboutBugReport = nullptr;
    QLabel* lbAboutBugReport = nullptr;
    TLinkLabel* urlAboutBugReport = nullptr;
    QLabel* lbAboutAddress = nullptr;
    TClickLabel* lbAboutExit = nullptr;

    void lbAboutExitClick();

    // Escape (and a close request of the window manager) leaves the box as
    // its exit label does: the box has no close button, and the label takes
    // no keyboard focus, so this is the keyboard's way out.
    void reject() override;

private:
    void buildLayout();
    TLinkLabel* linkLabel(QWidget* parent, const char* name, const QString& caption, const QString& target,
                          const QRect& geometry);
};
