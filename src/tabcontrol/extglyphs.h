#pragma once

#include "platform/colors.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>

// The glyph strip of a coloured-tab page control: one bitmap holding
// NumGlyphs equal images side by side, cut into an image list whenever the
// bitmap, the count or the transparent colour changes. Owned by the control.
class TExtGlyphs : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage Glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(TExtGlyphPosition Position READ position WRITE setPosition)
    Q_PROPERTY(int Spacing READ spacing WRITE setSpacing)
    Q_PROPERTY(int TransparentColor READ transparentColor WRITE setTransparentColor)

public:
    enum TExtGlyphPosition { glPosLeft, glPosTop };
    Q_ENUM(TExtGlyphPosition)

    static constexpr TColor clFuchsia = Colors::rgb(255, 0, 255);

    explicit TExtGlyphs(QObject* parent = nullptr);

    QImage glyph() const { return m_glyph; }
    void setGlyph(const QImage& glyph);
    int numGlyphs() const { return m_numGlyphs; }
    // A 16-bit count: values outside 0..65535 are clamped.
    void setNumGlyphs(int count);
    TExtGlyphPosition position() const { return m_position; }
    void setPosition(TExtGlyphPosition position);
    int spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    TColor transparentColor() const { return m_transparent; }
    void setTransparentColor(TColor color);

    // The image list. Its image size stays as it was when the list is
    // emptied (16 x 16 until a strip is first cut).
    const QList<QPixmap>& images() const { return m_images; }
    QSize imageSize() const { return m_imageSize; }
    bool hasBitmap() const { return !m_glyph.isNull() && !m_glyph.size().isEmpty(); }

Q_SIGNALS:
    // The image list was rebuilt.
    void imagesChanged();
    // Only the placement changed.
    void changed();

private:
    void rebuildImages();

    QImage m_glyph;
    int m_numGlyphs = 0;
    TExtGlyphPosition m_position = glPosLeft;
    int m_spacing = 5;
    TColor m_transparent = clFuchsia;
    QList<QPixmap> m_images;
    QSize m_imageSize{16, 16};
};
