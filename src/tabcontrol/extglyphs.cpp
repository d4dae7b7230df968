#include "tabcontrol/extglyphs.h"

#include "tabcontrol/tabgeometry.h"

#include <QBitmap>

#include <algorithm>

TExtGlyphs::TExtGlyphs(QObject* parent) : QObject(parent) {}

void TExtGlyphs::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    rebuildImages();
}

void TExtGlyphs::setNumGlyphs(int count)
{
    m_numGlyphs = std::clamp(count, 0, 65535);
    rebuildImages();
}

void TExtGlyphs::setPosition(TExtGlyphPosition position)
{
    m_position = position;
    Q_EMIT changed();
}

void TExtGlyphs::setSpacing(int spacing)
{
    m_spacing = spacing;
    Q_EMIT changed();
}

void TExtGlyphs::setTransparentColor(TColor color)
{
    m_transparent = color;
    rebuildImages();
}

void TExtGlyphs::rebuildImages()
{
    m_images.clear();
    const QSize size = TabGeometry::glyphImageSize(m_glyph.size(), m_numGlyphs);
    if (size.isValid()) {
        m_imageSize = size;
        const QColor transparent = Colors::toQColor(m_transparent);
        for (int i = 0; i < m_numGlyphs; ++i) {
            QPixmap image = QPixmap::fromImage(m_glyph.copy(i * size.width(), 0, size.width(), size.height()));
            image.setMask(image.createMaskFromColor(transparent, Qt::MaskInColor));
            m_images.append(image);
        }
    }
    Q_EMIT imagesChanged();
}
