#include "options/fontcombobox.h"

#include <QFontDatabase>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

constexpr int glyphWidth = 14;
constexpr int glyphGap = 6;

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

void drawFontItem(QPainter* p, const QRect& r, const QString& family, const QPalette& pal, bool selected)
{
    if (QFontDatabase::isSmoothlyScalable(family))
        drawOutlineGlyph(p, r, pal);
    p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(r.left() + 2 + glyphWidth + glyphGap, r.top(), r.width() - glyphWidth - glyphGap - 2,
                         r.height());
    p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, family);
}

class FontItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        drawFontItem(p, option.rect, index.data().toString(), option.palette, selected);
    }
};

}

TFontComboBox::TFontComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new FontItemDelegate(this));
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT Click(); });
}

void TFontComboBox::ensurePopulated()
{
    if (m_populated)
        return;
    m_populated = true;
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    const QSignalBlocker block(this);
    const QString keep = currentText();
    addItems(families);
    setCurrentIndex(keep.isEmpty() ? -1 : findText(keep, Qt::MatchFixedString));
}

QString TFontComboBox::fontName() const
{
    return currentIndex() >= 0 ? currentText() : QString();
}

void TFontComboBox::setFontName(const QString& name)
{
    const QSignalBlocker block(this);
    if (name.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    ensurePopulated();
    // MatchFixedString compares without regard to case.
    setCurrentIndex(findText(name, Qt::MatchFixedString));
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
    drawFontItem(&p, field, currentText(), palette(), false);
}
