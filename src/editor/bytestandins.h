#pragma once

#include <QPointF>
#include <QRectF>
#include <QStringView>
#include <QTextLayout>

class QPainter;
class QPalette;

// A byte of a UTF-8 file that no character could be read from is held in
// the text as U+EF00 + the byte (U+EF80..U+EFFF) and written back as that
// byte. Fonts have no glyph there, so the editor draws each one as a box
// with the byte's two hex digits stacked, the way a missing glyph is often
// shown.
namespace ByteStandIns {

constexpr bool isStandIn(char16_t c) { return c >= 0xEF80 && c <= 0xEFFF; }

// What paint() needs of one laid-out paragraph.
struct Paragraph {
    const QTextLayout* layout;
    QStringView text;
    QPointF origin;     // top left of the layout in the painter's coordinates
    int selectionStart; // selected characters, counted in the paragraph
    int selectionEnd;
};

// Draws the stand-ins on the lines of the paragraph that meet exposed.
void paint(QPainter& painter, const Paragraph& paragraph, const QRectF& exposed, const QPalette& palette);

}

namespace ByteStandIns {

// Gives every stand-in of a layout's text room for its box. The editor lays
// its text out without shaping, which leaves a character no font has without
// any width; shaped, it takes the width of the font's missing-glyph box.
QList<QTextLayout::FormatRange> formats(QStringView text);

}
