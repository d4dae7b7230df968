#include "options/colorcombobox.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

// Fills the item with the list's background (selection colour when
// selected), then a 22-pixel swatch outlined in the window-text colour and
// the name 28 pixels from the left.
class ColorItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        const QRect r = option.rect;
        const QRect swatch(r.left() + 2, r.top() + 2, 22, r.height() - 4);
        p->setPen(pal.color(QPalette::Text));
        p->drawRect(swatch.adjusted(0, 0, -1, -1));
        p->fillRect(swatch.adjusted(1, 1, -1, -1), index.data(Qt::DecorationRole).value<QColor>());
        p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect(r.left() + 28, r.top(), r.width() - 28, r.height());
        p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(std::max(s.height(), 18));
        return s;
    }
};

}

const std::array<TColorComboBox::NamedColor, 16>& TColorComboBox::basicColors()
{
    static const std::array<NamedColor, 16> colors = {{
        {"clBlack", Colors::rgb(0, 0, 0)},
        {"clMaroon", Colors::rgb(128, 0, 0)},
        {"clGreen", Colors::rgb(0, 128, 0)},
        {"clOlive", Colors::rgb(128, 128, 0)},
        {"clNavy", Colors::rgb(0, 0, 128)},
        {"clPurple", Colors::rgb(128, 0, 128)},
        {"clTeal", Colors::rgb(0, 128, 128)},
        {"clGray", Colors::rgb(128, 128, 128)},
        {"clSilver", Colors::rgb(192, 192, 192)},
        {"clRed", Colors::rgb(255, 0, 0)},
        {"clLime", Colors::rgb(0, 255, 0)},
        {"clYellow", Colors::rgb(255, 255, 0)},
        {"clBlue", Colors::rgb(0, 0, 255)},
        {"clFuchsia", Colors::rgb(255, 0, 255)},
        {"clAqua", Colors::rgb(0, 255, 255)},
        {"clWhite", Colors::rgb(255, 255, 255)},
    }};
    return colors;
}

QString TColorComboBox::displayName(const NamedColor& color)
{
    return QString::fromLatin1(color.name).mid(2);
}

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new ColorItemDelegate(this));
    for (const NamedColor& c : basicColors())
        addItem(displayName(c), QVariant::fromValue(int(c.value)));
    for (int i = 0; i < count(); ++i)
        setItemData(i, Colors::toQColor(basicColors()[static_cast<std::size_t>(i)].value), Qt::DecorationRole);
    setColorValue(Colors::clBlack);
    // activated is the user's pick only; program changes go through setColorValue.
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < count())
            m_value = basicColors()[static_cast<std::size_t>(index)].value;
        Q_EMIT Click();
    });
}

void TColorComboBox::setColorValue(TColor value)
{
    m_value = value;
    int found = -1;
    for (int i = 0; i < int(basicColors().size()); ++i)
        if (basicColors()[static_cast<std::size_t>(i)].value == value)
            found = i;
    const QSignalBlocker block(this);
    setCurrentIndex(found);
}

void TColorComboBox::paintEvent(QPaintEvent*)
{
    // The closed box shows the same swatch and name as the list items.
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() < 0)
        return;
    const QRect swatch(field.left() + 2, field.top() + 2, 22, field.height() - 4);
    p.setPen(palette().color(QPalette::Text));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    p.fillRect(swatch.adjusted(1, 1, -1, -1), Colors::toQColor(m_value));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(field.adjusted(28, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, currentText());
}
