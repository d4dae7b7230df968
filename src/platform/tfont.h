#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QObject>
#include <QString>

// A font as a form stores it: the seven published properties a settings
// store writes (Charset, Color, Height, Name, Pitch, Size, Style). A widget
// that exposes one as its "Font" property listens to changed() and applies
// font() and color() to itself.
class TFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Charset READ charset WRITE setCharset)
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(int Height READ height WRITE setHeight)
    Q_PROPERTY(QString Name READ name WRITE setName)
    Q_PROPERTY(TFontPitch Pitch READ pitch WRITE setPitch)
    Q_PROPERTY(int Size READ size WRITE setSize)
    Q_PROPERTY(TFontStyles Style READ style WRITE setStyle)

public:
    enum TFontPitch { fpDefault, fpVariable, fpFixed };
    Q_ENUM(TFontPitch)

    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    explicit TFont(QObject* parent = nullptr);

    int charset() const { return m_charset; }
    void setCharset(int charset);
    TColor color() const { return m_color; }
    void setColor(TColor color);
    // Character height in pixels, negative as stored (Size in points = -Height * 72 / ppi).
    int height() const;
    void setHeight(int height);
    QString name() const { return m_name; }
    void setName(const QString& name);
    TFontPitch pitch() const { return m_pitch; }
    void setPitch(TFontPitch pitch);
    int size() const { return m_size; }
    void setSize(int size);
    TFontStyles style() const { return m_style; }
    void setStyle(TFontStyles style);

    // Takes the values of a QFont and a colour without emitting changed().
    void assignSilently(const QFont& font, TColor color);
    // Takes all the values of another font and emits changed() once.
    void assign(const TFont& other);

    // The QFont these values describe, built on base (which keeps what a
    // TFont does not describe).
    QFont toQFont(const QFont& base = QFont()) const;

    static int pixelsPerInch();

Q_SIGNALS:
    void changed();

private:
    int m_charset = 1; // default character set
    TColor m_color = Colors::clWindowText;
    QString m_name;
    TFontPitch m_pitch = fpDefault;
    int m_size = 8;
    TFontStyles m_style;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFont::TFontStyles)

namespace Fonts {
// The font a form's layout names: "MS Sans Serif" is the system's general
// font; other names are resolved by the font database. Size in points.
QFont designFont(const QString& family, int pointSize);
// The same with a character height in pixels.
QFont designFontPx(const QString& family, int pixelHeight);
}
