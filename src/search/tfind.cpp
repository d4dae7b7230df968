#include "search/tfind.h"

#include "platform/errors.h"
#include "platform/loadstr.h"
#include "search/dialogparts.h"
#include "widgets/accessiblename.h"
#include "widgets/checkbox.h"
#include "widgets/flatbutton.h"
#include "widgets/label3d.h"
#include "widgets/panel.h"

#include <QLabel>
#include <QLineEdit>

using namespace SearchDialogParts;

TFind::TFind(QWidget* mainWindow) : TDialogForm(mainWindow, QSize(305, 190), QStringLiteral("Find dialog"))
{
    setObjectName(QStringLiteral("Find"));
    buildLayout();
    FormCreate();
}

TFind::~TFind() = default;

void TFind::buildLayout()
{
    panelFind = panel(this, "panelFind", size());
    lbFindTitle = title(panelFind, "lbFindTitle", QStringLiteral("Find a word"), {96, 8, 115, 27});
    lbFindWord = label(panelFind, "lbFindWord", QStringLiteral("Find what "), {8, 50, 61, 18});
    zeFindMot = edit(panelFind, "zeFindMot", {120, 48, 145, 21});
    chkboxFindWord = checkBox(panelFind, "chkboxFindWord", QStringLiteral("Whole Word"), {32, 88, 177, 21});
    chkboxFindCase = checkBox(panelFind, "chkboxFindCase", QStringLiteral("Match Case"), {32, 112, 169, 21});
    btFindStart = button(panelFind, "btFindStart", QStringLiteral("Start"), Glyph::Tick, {40, 144, 113, 25});
    btFindCancel = button(panelFind, "btFindCancel", QStringLiteral("Cancel"), Glyph::Cross, {176, 144, 105, 25});

    setTabOrder(zeFindMot, chkboxFindWord);
    setTabOrder(chkboxFindWord, chkboxFindCase);
    zeFindMot->setFocus();

    connect(btFindStart, &TFlatButton::clicked, this, guarded([this] { btFindStartClick(); }));
    connect(btFindCancel, &TFlatButton::clicked, this, guarded([this] { btFindCancelClick(); }));
}

void TFind::FormCreate()
{
    setTitle(lbFindTitle, LoadStr(sFindTitle));
    setCaption(lbFindWord, LoadStr(sFindWord), zeFindMot->x() - 4);
    chkboxFindWord->setText(LoadStr(sFindWholeWord));
    chkboxFindCase->setText(LoadStr(sFindMatchCase));
    btFindStart->setText(LoadStr(sFindStart));
    btFindCancel->setText(LoadStr(sFindCancel));
    nameAfterLabel(zeFindMot, lbFindWord);
}

void TFind::setVisible(bool visible)
{
    // The base class centres the dialog and gives the focus back; the word
    // is selected only afterwards, so that nothing undoes it.
    TDialogForm::setVisible(visible);
    if (visible)
        FormShow();
}

void TFind::FormShow()
{
    // Typing replaces the previous word.
    zeFindMot->setFocus(Qt::OtherFocusReason);
    zeFindMot->selectAll();
}

void TFind::btFindStartClick() { done(mrOk); }

void TFind::btFindCancelClick() { done(mrCancel); }
