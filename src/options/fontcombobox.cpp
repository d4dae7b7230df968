#include "options/fontcombobox.h"

#include <QFontDatabase>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

constexpr int glyphWidth = 14;
constexpr int glyphGap = 6;
// Marks the entry of a name that is not installed.
constexpr int notInstalledRole = Qt::UserRole + 1;

// The outline-font glyph: a small doubled "T".
void drawOutlineGlyph(QPainter* p, const QRect& itemRect, const QPalette& pal)
{
    const QRect box(itemRect.left() + 2, itemRect.center().y() - 6, glyphWidth, 12);
    QFont f = p->font();
    f.setBold(true);
    f.setPixelSize(11);
    p->save();
    p->setFont(f);
    p->setPen(pal.color(QPalette::Mid));
    p->drawText(box.translated(-2, -1), Qt::AlignCenter, QStringLiteral("T"));
    p->setPen(pal.color(QPalette::Text));
    p->drawText(box.translated(2, 1), Qt::AlignCenter, QStringLiteral("T"));
    p->restore();
}

void drawFontItem(QPainter* p, const QRect& r, const QString& family, const QPalette& pal, bool selected,
                  bool notInstalled)
{
    p->save();
    if (notInstalled) {
        QFont f = p->font();
        f.setItalic(true);
        p->setFont(f);
        p->setPen(pal.color(QPalette::Disabled, QPalette::Text));
    } else {
        if (QFontDatabase::isSmoothlyScalable(family))
            drawOutlineGlyph(p, r, pal);
        p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }
    const QRect textRect(r.left() + 2 + glyphWidth + glyphGap, r.top(), r.width() - glyphWidth - glyphGap - 2,
                         r.height());
    p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, family);
    p->restore();
}

class FontItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        drawFontItem(p, option.rect, index.data().toString(), option.palette, selected,
                     index.data(notInstalledRole).toBool());
    }
};

}

TFontComboBox::TFontComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new FontItemDelegate(this));
    connect(this, &QComboBox::activated, this, [this](int index) { userPicked(index); });
}

QString TFontComboBox::familyName(const QString& databaseName)
{
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\[\\]]*\\]\\s*$"));
    const QString family = QString(databaseName).remove(foundry).trimmed();
    // A name that is nothing but brackets is a name, not a foundry.
    return family.isEmpty() ? databaseName.trimmed() : family;
}

QStringList TFontComboBox::familyNames(const QStringList& databaseNames)
{
    QStringList families;
    QSet<QString> seen;
    for (const QString& name : databaseNames) {
        const QString family = familyName(name);
        const QString folded = family.toCaseFolded();
        if (family.isEmpty() || seen.contains(folded))
            continue;
        seen.insert(folded);
        families << family;
    }
    families.sort(Qt::CaseInsensitive);
    return families;
}

void TFontComboBox::ensurePopulated()
{
    if (m_populated)
        return;
    m_populated = true;
    const QSignalBlocker block(this);
    const QString keep = currentText();
    addItems(familyNames(QFontDatabase::families()));
    setCurrentIndex(keep.isEmpty() ? -1 : findText(keep, Qt::MatchFixedString));
}

int TFontComboBox::missingIndex() const
{
    return count() > 0 && itemData(0, notInstalledRole).toBool() ? 0 : -1;
}

void TFontComboBox::dropMissingName()
{
    if (missingIndex() == 0)
        removeItem(0);
}

QString TFontComboBox::fontName() const
{
    return currentIndex() >= 0 ? currentText() : QString();
}

bool TFontComboBox::isNotInstalled() const
{
    return currentIndex() >= 0 && currentIndex() == missingIndex();
}

void TFontComboBox::setFontName(const QString& name)
{
    const QSignalBlocker block(this);
    dropMissingName();
    if (name.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    ensurePopulated();
    // MatchFixedString compares without regard to case; a name kept with
    // its foundry finds its family.
    const int found = findText(familyName(name), Qt::MatchFixedString);
    if (found >= 0) {
        setCurrentIndex(found);
        return;
    }
    insertItem(0, name);
    setItemData(0, true, notInstalledRole);
    setCurrentIndex(0);
}

void TFontComboBox::userPicked(int index)
{
    // Another pick lets the name that is not installed go.
    if (index != missingIndex() && missingIndex() >= 0) {
        const QSignalBlocker block(this);
        dropMissingName();
    }
    Q_EMIT Click();
}

void TFontComboBox::showPopup()
{
    ensurePopulated();
    QComboBox::showPopup();
}

void TFontComboBox::keyPressEvent(QKeyEvent* event)
{
    ensurePopulated();
    QComboBox::keyPressEvent(event);
}

void TFontComboBox::wheelEvent(QWheelEvent* event)
{
    ensurePopulated();
    QComboBox::wheelEvent(event);
}

void TFontComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    drawFontItem(&p, field, currentText(), palette(), false, isNotInstalled());
}
