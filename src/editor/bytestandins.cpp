#include "editor/bytestandins.h"

#include <QPainter>
#include <QPalette>
#include <QTextLayout>

namespace {

struct BoxColors {
    QColor fill;
    QColor ink;
};

// Opaque, so that no glyph a font might have there shows through.
BoxColors boxColors(const QPalette& palette, bool selected)
{
    if (selected)
        return {palette.color(QPalette::Highlight), palette.color(QPalette::HighlightedText)};
    const QColor base = palette.color(QPalette::Base);
    const QColor ink = palette.color(QPalette::Text);
    const auto mix = [](int a, int b) { return (a * 5 + b) / 6; };
    return {QColor(mix(base.red(), ink.red()), mix(base.green(), ink.green()), mix(base.blue(), ink.blue())), ink};
}

void paintBox(QPainter& painter, const QRectF& box, char16_t standIn, const BoxColors& colors)
{
    painter.fillRect(box, colors.fill);
    painter.setPen(colors.ink);
    painter.drawRect(box);
    const QString hex = QString::number(unsigned(standIn) & 0xFF, 16).toUpper().rightJustified(2, u'0');
    QFont digits = painter.font();
    digits.setPixelSize(std::max(6, int(box.height() / 2) + 1));
    painter.setFont(digits);
    const QRectF top(box.left(), box.top(), box.width(), box.height() / 2);
    painter.drawText(top, Qt::AlignCenter, hex.left(1));
    painter.drawText(top.translated(0, box.height() / 2), Qt::AlignCenter, hex.right(1));
}

}

void ByteStandIns::paint(QPainter& painter, const Paragraph& paragraph, const QRectF& exposed, const QPalette& palette)
{
    const QTextLayout& layout = *paragraph.layout;
    painter.save();
    for (int l = 0; l < layout.lineCount(); ++l) {
        const QTextLine line = layout.lineAt(l);
        const QRectF lineRect = line.rect().translated(paragraph.origin);
        if (lineRect.bottom() < exposed.top())
            continue;
        if (lineRect.top() > exposed.bottom())
            break;
        const int end = std::min(int(paragraph.text.size()), line.textStart() + line.textLength());
        for (int i = line.textStart(); i < end; ++i) {
            const char16_t c = paragraph.text[i].unicode();
            if (!isStandIn(c))
                continue;
            const qreal x1 = line.cursorToX(i);
            const qreal x2 = line.cursorToX(i + 1);
            const QRectF box(paragraph.origin.x() + std::min(x1, x2) + 1, lineRect.top() + 0.5,
                             std::abs(x2 - x1) - 2, lineRect.height() - 1);
            const bool selected = i >= paragraph.selectionStart && i < paragraph.selectionEnd;
            paintBox(painter, box, c, boxColors(palette, selected));
        }
    }
    painter.restore();
}

QList<QTextLayout::FormatRange> ByteStandIns::formats(QStringView text)
{
    QList<QTextLayout::FormatRange> ranges;
    const char16_t* p = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isStandIn(p[i]))
            continue;
        if (!ranges.isEmpty() && ranges.back().start + ranges.back().length == i) {
            ++ranges.back().length;
            continue;
        }
        QTextLayout::FormatRange r{int(i), 1, {}};
        r.format.setFontStyleStrategy(QFont::PreferDefault);
        r.format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        r.format.setFontLetterSpacing(4);
        ranges.append(r);
    }
    return ranges;
}
