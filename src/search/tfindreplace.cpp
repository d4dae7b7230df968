#include "search/tfindreplace.h"

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

TFindReplace::TFindReplace(QWidget* mainWindow)
    : TDialogForm(mainWindow, QSize(305, 221), QStringLiteral("Find/Replace dialog"))
{
    setObjectName(QStringLiteral("FindReplace"));
    buildLayout();
    FormCreate();
}

TFindReplace::~TFindReplace() = default;

void TFindReplace::buildLayout()
{
    panelFindReplace = panel(this, "panelFindReplace", size());
    lbFindReplaceTitle = title(panelFindReplace, "lbFindReplaceTitle", QStringLiteral("Find and Replace a word"),
                               {40, 8, 239, 27});
    lbFindReplaceMot = label(panelFindReplace, "lbFindReplaceMot", QStringLiteral("Replace"), {8, 50, 54, 18});
    zeFindReplaceMot = edit(panelFindReplace, "zeFindReplaceMot", {80, 48, 169, 21});
    lbFindReplaceBy = label(panelFindReplace, "lbFindReplaceBy", QStringLiteral("by"), {24, 82, 17, 18});
    zeFindReplaceBy = edit(panelFindReplace, "zeFindReplaceBy", {80, 80, 169, 21});
    chkboxFindReplaceWord = checkBox(panelFindReplace, "chkboxFindReplaceWord", QStringLiteral("Whole Word"),
                                     {48, 120, 193, 17});
    chkboxFindReplaceCase = checkBox(panelFindReplace, "chkboxFindReplaceCase", QStringLiteral("Match Case"),
                                     {48, 144, 177, 17});
    btFindReplaceStart = button(panelFindReplace, "btFindReplaceStart", QStringLiteral("Start"), Glyph::Tick,
                                {40, 176, 105, 25});
    btFindReplaceCancel = button(panelFindReplace, "btFindReplaceCancel", QStringLiteral("Cancel"), Glyph::Cross,
                                 {168, 176, 113, 25});

    // From the word to the two options, and only then to the replacement.
    setTabOrder(zeFindReplaceMot, chkboxFindReplaceWord);
    setTabOrder(chkboxFindReplaceWord, chkboxFindReplaceCase);
    setTabOrder(chkboxFindReplaceCase, zeFindReplaceBy);
    zeFindReplaceMot->setFocus();

    connect(btFindReplaceStart, &TFlatButton::clicked, this, guarded([this] { btFindReplaceStartClick(); }));
    connect(btFindReplaceCancel, &TFlatButton::clicked, this, guarded([this] { btFindReplaceCancelClick(); }));
}

void TFindReplace::FormCreate()
{
    setTitle(lbFindReplaceTitle, LoadStr(sFindReplaceTitle));
    setCaption(lbFindReplaceMot, LoadStr(sFindReplaceWord), zeFindReplaceMot->x() - 4);
    setCaption(lbFindReplaceBy, LoadStr(sFindReplaceBy), zeFindReplaceBy->x() - 4);
    chkboxFindReplaceWord->setText(LoadStr(sFindReplaceWholeWord));
    chkboxFindReplaceCase->setText(LoadStr(sFindReplaceMatchCase));
    btFindReplaceStart->setText(LoadStr(sFindReplaceStart));
    btFindReplaceCancel->setText(LoadStr(sFindReplaceCancel));
    nameAfterLabel(zeFindReplaceMot, lbFindReplaceMot);
    nameAfterLabel(zeFindReplaceBy, lbFindReplaceBy);
}

void TFindReplace::setVisible(bool visible)
{
    // After the base class: showing gives the focus back to an edit, which
    // would select its text.
    TDialogForm::setVisible(visible);
    if (visible)
        FormShow();
}

void TFindReplace::FormShow()
{
    zeFindReplaceMot->deselect();
    zeFindReplaceBy->deselect();
}

void TFindReplace::btFindReplaceStartClick() { done(mrOk); }

void TFindReplace::btFindReplaceCancelClick() { done(mrCancel); }
