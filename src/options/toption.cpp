#include "options/toption.h"

#include "editor/tredit.h"
#include "options/colorcombobox.h"
#include "options/explorerlook.h"
#include "options/fontcombobox.h"
#include "platform/errors.h"
#include "platform/loadstr.h"
#include "platform/tfont.h"
#include "settings/formstorage.h"
#include "widgets/accessiblename.h"
#include "widgets/checkbox.h"
#include "widgets/clicklabel.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"
#include "widgets/radiogroup.h"

#include <QFontInfo>
#include <QLabel>

#include <algorithm>

namespace {

// A caption of the fixed layout gets the room it needs, as a self-sizing
// label would: its control grows away from its anchored edge as far as its
// container allows, and where even that is too little (the fonts here may
// be wider than the layout's) the font shrinks until the caption fits.
void fitCaption(QWidget* control, bool anchorRight = false)
{
    constexpr int smallestPixelSize = 9;
    const QRect room = control->parentWidget()->contentsRect();
    const QRect at = control->geometry();
    const int available = anchorRight ? at.right() + 1 - room.left() : room.right() + 1 - at.left();
    QFont font = control->font();
    int pixelSize = QFontInfo(font).pixelSize();
    while (control->sizeHint().width() > available && pixelSize > smallestPixelSize) {
        font.setPixelSize(--pixelSize);
        control->setFont(font);
    }
    const int width = std::clamp(control->sizeHint().width(), at.width(), available);
    control->setGeometry(anchorRight ? at.right() + 1 - width : at.left(), at.top(), width, at.height());
}

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect r)
{
    return place(new QLabel(text, parent), name, r.x(), r.y(), r.width(), r.height());
}

TCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, QRect r, const QString& hint)
{
    auto* box = place(new TCheckBox(text, parent), name, r.x(), r.y(), r.width(), r.height());
    box->setCheckedSilently(true);
    box->setToolTip(hint);
    return box;
}

}

TOption::TOption(QWidget* mainWindow, OptionTargets targets, std::function<void(TOption*)> startupDocument)
    : TDialogForm(mainWindow, QSize(501, 315), QStringLiteral("Options")), m_targets(std::move(targets))
{
    setObjectName(QStringLiteral("Option"));
    buildLayout();
    connectHandlers();
    // Creation: the values are restored first (silently: nothing reaches the
    // main window), then the captions, then the program's first document,
    // which takes the editor values as they now stand.
    formstorageOption = new TFormStorage(this, QStringLiteral("formstorageOption"), storedProps());
    runGuarded([this] { formstorageOption->RestoreFormSettings(); });
    translateCaptions();
    fitCaptions();
    if (startupDocument)
        startupDocument(this);
}

TOption::~TOption() = default;

const QStringList& TOption::storedProps()
{
    static const QStringList props = {
        QStringLiteral("chkboxOptionStatusBar.Checked"),
        QStringLiteral("chkboxOptionExplorer.Checked"),
        QStringLiteral("chkboxOptionFileInformation.Checked"),
        QStringLiteral("chkboxOptionToolbar.Checked"),
        QStringLiteral("rdgroupOptionTabPosition.ItemIndex"),
        QStringLiteral("comboOptionColorEditeur.ColorValue"),
        QStringLiteral("comboOptionColorFontEditeur.ColorValue"),
        QStringLiteral("comboOptionFontEditeur.FontName"),
        QStringLiteral("comboOptionColorExplorer.ColorValue"),
        QStringLiteral("comboOptionColorFontExplorer.ColorValue"),
        QStringLiteral("comboOptionFontExplorer.FontName"),
        QStringLiteral("chkboxOptionSeveralTimes.Checked"),
        QStringLiteral("chkboxOptionAllFileSaved.Checked"),
    };
    return props;
}

void TOption::buildLayout()
{
    panelOption = new TPanel(this);
    panelOption->setObjectName(QStringLiteral("panelOption"));
    panelOption->setBevels(TPanel::Bevel::Lowered, TPanel::Bevel::None);
    panelOption->setGeometry(0, 0, 501, 315);

    const QFont arial13 = Fonts::designFontPx(QStringLiteral("Arial"), 13);
    const QFont title15 = [] {
        QFont f = Fonts::designFontPx(QStringLiteral("MS Sans Serif"), 15);
        f.setUnderline(true);
        return f;
    }();
    const QFont label15 = Fonts::designFontPx(QStringLiteral("MS Sans Serif"), 15);

    // Environment options.
    panelOption1 = place(new TPanel(panelOption), "panelOption1", 8, 8, 169, 297);
    panelOption1->setBevels(TPanel::Bevel::Lowered, TPanel::Bevel::Raised);
    panelOption1->setFont(Fonts::designFont(QStringLiteral("Arial"), 8));
    lbOption1Title = label(panelOption1, "lbOption1Title", QStringLiteral("Environment Options"), {16, 8, 126, 19});
    lbOption1Title->setFont(title15);
    chkboxOptionStatusBar = checkBox(panelOption1, "chkboxOptionStatusBar", QStringLiteral("Status bar"),
                                     {16, 32, 145, 22}, QStringLiteral("Show or Hide the statusbar"));
    chkboxOptionExplorer = checkBox(panelOption1, "chkboxOptionExplorer", QStringLiteral("Explorer"),
                                    {16, 64, 137, 22}, QStringLiteral("Show or Hide the explorer"));
    chkboxOptionFileInformation = checkBox(panelOption1, "chkboxOptionFileInformation",
                                           QStringLiteral("File Information"), {16, 96, 145, 22},
                                           QStringLiteral("Show or Hide the files name"));
    chkboxOptionToolbar = checkBox(panelOption1, "chkboxOptionToolbar", QStringLiteral("Toolbar"),
                                   {16, 128, 145, 22}, QStringLiteral("Show or Hide the toolbar"));
    chkboxOptionAllFileSaved = checkBox(panelOption1, "chkboxOptionAllFileSaved",
                                        QStringLiteral("Check all files saved"), {16, 160, 145, 22},
                                        QStringLiteral("You can't exit if one file is not saved"));
    chkboxOptionAllFileSaved2 = label(panelOption1, "chkboxOptionAllFileSaved2", QStringLiteral("on exit"),
                                      {35, 179, 126, 16});
    chkboxOptionAllFileSaved2->setCursor(Qt::PointingHandCursor);
    chkboxOptionSeveralTimes = checkBox(panelOption1, "chkboxOptionSeveralTimes",
                                        QStringLiteral("Open several times "), {16, 200, 145, 22},
                                        QStringLiteral("You can open several times the same file"));
    chkboxOptionSeveralTimes2 = label(panelOption1, "chkboxOptionSeveralTimes2", QStringLiteral("the same file"),
                                      {35, 219, 126, 16});
    chkboxOptionSeveralTimes2->setCursor(Qt::PointingHandCursor);
    for (QWidget* w : {static_cast<QWidget*>(chkboxOptionStatusBar), static_cast<QWidget*>(chkboxOptionExplorer),
                       static_cast<QWidget*>(chkboxOptionFileInformation),
                       static_cast<QWidget*>(chkboxOptionToolbar),
                       static_cast<QWidget*>(chkboxOptionAllFileSaved),
                       static_cast<QWidget*>(chkboxOptionAllFileSaved2),
                       static_cast<QWidget*>(chkboxOptionSeveralTimes),
                       static_cast<QWidget*>(chkboxOptionSeveralTimes2)})
        w->setFont(arial13);

    // Font and colour options.
    panelOption2 = place(new TPanel(panelOption), "panelOption2", 184, 8, 305, 217);
    panelOption2->setBevels(TPanel::Bevel::Lowered, TPanel::Bevel::Raised);
    lbOption2Title = label(panelOption2, "lbOption2Title", QStringLiteral("Font and Color Options"), {104, 8, 139, 19});
    lbOption2Title->setFont(title15);
    lbOptionExplorer = label(panelOption2, "lbOptionExplorer", QStringLiteral("Explorer"), {40, 32, 81, 19});
    lbOptionExplorer->setFont(label15);
    lbOption2TitleEditor = label(panelOption2, "lbOption2TitleEditor", QStringLiteral("Editor"), {192, 32, 65, 19});
    lbOption2TitleEditor->setFont(label15);

    lbOptionColorExplorer = label(panelOption2, "lbOptionColorExplorer", QStringLiteral("Background color"),
                                  {24, 56, 121, 16});
    comboOptionColorExplorer = place(new TColorComboBox(panelOption2), "comboOptionColorExplorer", 24, 72, 121, 22);
    comboOptionColorExplorer->setColorValue(Colors::clWhite);
    lbOptionColorFontExplorer = label(panelOption2, "lbOptionColorFontExplorer", QStringLiteral("Font color"),
                                      {24, 112, 121, 16});
    comboOptionColorFontExplorer =
        place(new TColorComboBox(panelOption2), "comboOptionColorFontExplorer", 24, 128, 121, 22);
    comboOptionColorFontExplorer->setColorValue(Colors::clBlack);
    lbOptionFontExplorer = label(panelOption2, "lbOptionFontExplorer", QStringLiteral("Font"), {24, 168, 129, 16});
    comboOptionFontExplorer = place(new TFontComboBox(panelOption2), "comboOptionFontExplorer", 24, 184, 121, 20);

    lbOptionColorEditeur = label(panelOption2, "lbOptionColorEditeur", QStringLiteral("Background color"),
                                 {168, 56, 121, 16});
    comboOptionColorEditeur = place(new TColorComboBox(panelOption2), "comboOptionColorEditeur", 168, 72, 121, 22);
    comboOptionColorEditeur->setColorValue(Colors::clWhite);
    lbOptionColorFontEditeur = label(panelOption2, "lbOptionColorFontEditeur", QStringLiteral("Font color"),
                                     {168, 112, 121, 16});
    comboOptionColorFontEditeur =
        place(new TColorComboBox(panelOption2), "comboOptionColorFontEditeur", 168, 128, 121, 22);
    comboOptionColorFontEditeur->setColorValue(Colors::clBlack);
    lbOptionFontEditeur = label(panelOption2, "lbOptionFontEditeur", QStringLiteral("Font"), {168, 168, 121, 16});
    comboOptionFontEditeur = place(new TFontComboBox(panelOption2), "comboOptionFontEditeur", 168, 184, 121, 20);

    rdgroupOptionTabPosition = place(new TRadioGroup(QStringLiteral("Tab Position "),
                                                     {QStringLiteral("Top"), QStringLiteral("Right"),
                                                      QStringLiteral("Left"), QStringLiteral("Bottom")},
                                                     4, panelOption),
                                     "rdgroupOptionTabPosition", 184, 240, 305, 49);
    rdgroupOptionTabPosition->setItemIndexSilently(0);

    lbOptionExit = place(new TClickLabel(QStringLiteral("Click here to exit"), panelOption), "lbOptionExit", 408, 294,
                         80, 13);

    // Tab order: the six boxes top to bottom; then editor selectors before
    // the explorer's.
    setTabOrder(chkboxOptionStatusBar, chkboxOptionExplorer);
    setTabOrder(chkboxOptionExplorer, chkboxOptionFileInformation);
    setTabOrder(chkboxOptionFileInformation, chkboxOptionToolbar);
    setTabOrder(chkboxOptionToolbar, chkboxOptionAllFileSaved);
    setTabOrder(chkboxOptionAllFileSaved, chkboxOptionSeveralTimes);
    setTabOrder(chkboxOptionSeveralTimes, comboOptionColorEditeur);
    setTabOrder(comboOptionColorEditeur, comboOptionColorFontEditeur);
    setTabOrder(comboOptionColorFontEditeur, comboOptionFontEditeur);
    setTabOrder(comboOptionFontEditeur, comboOptionColorExplorer);
    setTabOrder(comboOptionColorExplorer, comboOptionColorFontExplorer);
    setTabOrder(comboOptionColorFontExplorer, comboOptionFontExplorer);
}

void TOption::translateCaptions()
{
    lbOption1Title->setText(LoadStr(sOption1Title));
    chkboxOptionStatusBar->setText(LoadStr(sOptionStatusBar));
    chkboxOptionExplorer->setText(LoadStr(sOptionExplorer));
    chkboxOptionFileInformation->setText(LoadStr(sOptionFileInformation));
    chkboxOptionToolbar->setText(LoadStr(sOptionToolbar));
    chkboxOptionAllFileSaved->setText(LoadStr(sOptionAllFileSaved));
    chkboxOptionAllFileSaved2->setText(LoadStr(sOptionAllFileSaved2));
    chkboxOptionSeveralTimes->setText(LoadStr(sOptionSeveralTimes));
    chkboxOptionSeveralTimes2->setText(LoadStr(sOptionSeveralTimes2));
    lbOption2Title->setText(LoadStr(sOption2Title));
    lbOptionExplorer->setText(LoadStr(sOptionExplorerTitle));
    lbOption2TitleEditor->setText(LoadStr(sOptionEditorTitle));
    lbOptionColorExplorer->setText(LoadStr(sOptionBackgroundColor));
    lbOptionColorEditeur->setText(LoadStr(sOptionBackgroundColor));
    lbOptionColorFontExplorer->setText(LoadStr(sOptionFontColor));
    lbOptionColorFontEditeur->setText(LoadStr(sOptionFontColor));
    lbOptionFontExplorer->setText(LoadStr(sOptionFont));
    lbOptionFontEditeur->setText(LoadStr(sOptionFont));
    rdgroupOptionTabPosition->setTitle(LoadStr(sOptionTabPosition));
    rdgroupOptionTabPosition->setItemText(0, LoadStr(sOptionTabTop));
    rdgroupOptionTabPosition->setItemText(1, LoadStr(sOptionTabRight));
    rdgroupOptionTabPosition->setItemText(2, LoadStr(sOptionTabLeft));
    rdgroupOptionTabPosition->setItemText(3, LoadStr(sOptionTabBottom));

    // The two columns share their label texts; the column tells them apart.
    const QString explorer = lbOptionExplorer->text();
    const QString editor = lbOption2TitleEditor->text();
    nameAfterLabel(comboOptionColorExplorer, lbOptionColorExplorer, explorer);
    nameAfterLabel(comboOptionColorFontExplorer, lbOptionColorFontExplorer, explorer);
    nameAfterLabel(comboOptionFontExplorer, lbOptionFontExplorer, explorer);
    nameAfterLabel(comboOptionColorEditeur, lbOptionColorEditeur, editor);
    nameAfterLabel(comboOptionColorFontEditeur, lbOptionColorFontEditeur, editor);
    nameAfterLabel(comboOptionFontEditeur, lbOptionFontEditeur, editor);
    // A check box whose caption runs on in a label is named with both lines.
    chkboxOptionAllFileSaved->setAccessibleName(
        (chkboxOptionAllFileSaved->text() + chkboxOptionAllFileSaved2->text()).simplified());
    chkboxOptionSeveralTimes->setAccessibleName(
        (chkboxOptionSeveralTimes->text() + u' ' + chkboxOptionSeveralTimes2->text()).simplified());
}

void TOption::fitCaptions()
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             lbOption1Title, chkboxOptionStatusBar, chkboxOptionExplorer, chkboxOptionFileInformation,
             chkboxOptionToolbar, chkboxOptionAllFileSaved, chkboxOptionAllFileSaved2, chkboxOptionSeveralTimes,
             chkboxOptionSeveralTimes2, lbOption2Title, lbOptionExplorer, lbOption2TitleEditor, lbOptionColorExplorer,
             lbOptionColorFontExplorer, lbOptionFontExplorer, lbOptionColorEditeur, lbOptionColorFontEditeur,
             lbOptionFontEditeur})
        fitCaption(control);
    // The exit label sits in the bottom-right corner: it grows to the left.
    fitCaption(lbOptionExit, true);
}

void TOption::connectHandlers()
{
    const auto on = [this](auto* sender, auto signal, void (TOption::*handler)()) {
        connect(sender, signal, this, guarded([this, handler] { (this->*handler)(); }));
    };
    on(chkboxOptionStatusBar, &TCheckBox::Change, &TOption::chkboxOptionStatusBarChange);
    // The explorer box answers a mouse click only.
    on(chkboxOptionExplorer, &TCheckBox::Click, &TOption::chkboxOptionExplorerClick);
    on(chkboxOptionFileInformation, &TCheckBox::Change, &TOption::chkboxOptionFileInformationChange);
    on(chkboxOptionToolbar, &TCheckBox::Change, &TOption::chkboxOptionToolbarChange);
    on(rdgroupOptionTabPosition, &TRadioGroup::Change, &TOption::rdgroupOptionTabPositionChange);
    on(comboOptionColorEditeur, &TColorComboBox::Click, &TOption::comboOptionColorEditeurClick);
    on(comboOptionColorFontEditeur, &TColorComboBox::Click, &TOption::comboOptionColorFontEditeurClick);
    on(comboOptionFontEditeur, &TFontComboBox::Click, &TOption::comboOptionFontEditeurClick);
    on(comboOptionColorExplorer, &TColorComboBox::Click, &TOption::comboOptionColorExplorerClick);
    on(comboOptionColorFontExplorer, &TColorComboBox::Click, &TOption::comboOptionColorFontExplorerClick);
    on(comboOptionFontExplorer, &TFontComboBox::Click, &TOption::comboOptionFontExplorerClick);
    on(lbOptionExit, &TClickLabel::Click, &TOption::lbOptionExitClick);
}

namespace {
void showPart(QWidget* part, bool shown)
{
    if (part)
        part->setVisible(shown);
}
}

void TOption::chkboxOptionStatusBarChange()
{
    showPart(m_targets.statusBar, chkboxOptionStatusBar->isChecked());
}

void TOption::chkboxOptionExplorerClick()
{
    showPart(m_targets.explorerPane, chkboxOptionExplorer->isChecked());
}

void TOption::chkboxOptionFileInformationChange()
{
    showPart(m_targets.fileInformationBar, chkboxOptionFileInformation->isChecked());
}

void TOption::chkboxOptionToolbarChange()
{
    showPart(m_targets.toolbarPanel, chkboxOptionToolbar->isChecked());
}

void TOption::rdgroupOptionTabPositionChange()
{
    TPageControl* page = m_targets.pageEdition;
    if (!page)
        return;
    // The side is set before the rows, so a single-row control never
    // meets side tabs.
    switch (rdgroupOptionTabPosition->itemIndex()) {
    case 0:
        page->setTabSide(TPageControl::tpTop);
        page->setMultiLine(false);
        break;
    case 1:
        page->setTabSide(TPageControl::tpRight);
        // Side tabs come in several rows: the control takes them so itself.
        page->setMultiLine(true);
        break;
    case 2:
        page->setTabSide(TPageControl::tpLeft);
        page->setMultiLine(true);
        break;
    case 3:
        page->setTabSide(TPageControl::tpBottom);
        page->setMultiLine(false);
        break;
    default:
        break;
    }
}

void TOption::forEachOpenEditor(const std::function<void(TREdit*)>& apply) const
{
    if (m_targets.forEachOpenEditor)
        m_targets.forEachOpenEditor([&apply](TREdit* editor) {
            if (editor)
                apply(editor);
        });
}

void TOption::comboOptionColorEditeurClick()
{
    const TColor color = comboOptionColorEditeur->colorValue();
    forEachOpenEditor([color](TREdit* editor) { editor->setBackgroundColor(color); });
}

void TOption::comboOptionColorFontEditeurClick()
{
    const TColor color = comboOptionColorFontEditeur->colorValue();
    forEachOpenEditor([color](TREdit* editor) { editor->setFontColor(color); });
}

void TOption::comboOptionFontEditeurClick()
{
    const QString name = comboOptionFontEditeur->fontName();
    forEachOpenEditor([&name](TREdit* editor) { editor->setFontName(name); });
}

void TOption::comboOptionColorExplorerClick()
{
    for (QObject* view : m_targets.explorerViews)
        ExplorerLook::setBackgroundColor(view, comboOptionColorExplorer->colorValue());
}

void TOption::comboOptionColorFontExplorerClick()
{
    for (QObject* view : m_targets.explorerViews)
        ExplorerLook::setFontColor(view, comboOptionColorFontExplorer->colorValue());
}

void TOption::comboOptionFontExplorerClick()
{
    for (QObject* view : m_targets.explorerViews)
        ExplorerLook::setFontName(view, comboOptionFontExplorer->fontName());
}

void TOption::lbOptionExitClick() { done(mrOk); }

void TOption::reject() { lbOptionExitClick(); }
