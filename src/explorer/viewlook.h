#pragma once

#include "platform/colors.h"

#include <QObject>

class QFont;
class QTreeView;
class TFont;

// The look the folder tree and the file list share, which both publish
// under the same property names: the background colour (Color), the font
// and its colour, the text colour (Font), the colour of compressed items
// (CompressedColor) and hot tracking (HotTrack). It dresses its view again
// whenever a part changes. The selection keeps its active colours when the
// view loses the focus, so it stays as visible.
class TSxViewLook : public QObject {
    Q_OBJECT
public:
    TSxViewLook(QTreeView* view, const QFont& font);

    TColor color() const { return m_color; }
    void setColor(TColor color);
    TFont* fontObject() const { return m_font; }
    // Takes the values of another font; the view keeps its own object.
    void setFontObject(const TFont* font);
    TColor compressedColor() const { return m_compressedColor; }
    void setCompressedColor(TColor color);
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool on);

Q_SIGNALS:
    // Hot tracking or the compressed colour changed.
    void changed();

private:
    void apply();

    QTreeView* m_view;
    TFont* m_font;
    TColor m_color = Colors::clWindow;
    TColor m_compressedColor = Colors::clWindowText;
    bool m_hotTrack = false;
};

// The look's parts as a view publishes them (the "Color", "Font",
// "CompressedColor" and "HotTrack" properties): a view derives from this
// beside its widget class and makes its look at construction.
class TSxLookProperties {
public:
    TColor color() const { return m_look->color(); }
    void setColor(TColor color) { m_look->setColor(color); }
    TFont* fontObject() const { return m_look->fontObject(); }
    void setFontObject(TFont* font) { m_look->setFontObject(font); }
    TColor compressedColor() const { return m_look->compressedColor(); }
    void setCompressedColor(TColor color) { m_look->setCompressedColor(color); }
    bool hotTrack() const { return m_look->hotTrack(); }
    void setHotTrack(bool on) { m_look->setHotTrack(on); }

protected:
    ~TSxLookProperties() = default;
    TSxViewLook* m_look = nullptr;
};
