#include "platform/tfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

TFont::TFont(QObject* parent) : QObject(parent) {}

int TFont::pixelsPerInch()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int dpi = qRound(screen->logicalDotsPerInch());
        if (dpi > 0)
            return dpi;
    }
    return 96;
}

void TFont::setCharset(int charset)
{
    m_charset = charset;
    Q_EMIT changed();
}

void TFont::setColor(TColor color)
{
    m_color = color;
    Q_EMIT changed();
}

int TFont::height() const
{
    return -static_cast<int>(std::lround(double(m_size) * pixelsPerInch() / 72.0));
}

void TFont::setHeight(int height)
{
    // A positive height counts the internal leading too; near enough to take
    // as the character height.
    const int px = std::abs(height);
    if (px == 0)
        return;
    m_size = std::max(1, static_cast<int>(std::lround(double(px) * 72.0 / pixelsPerInch())));
    Q_EMIT changed();
}

void TFont::setName(const QString& name)
{
    m_name = name;
    Q_EMIT changed();
}

void TFont::setPitch(TFontPitch pitch)
{
    m_pitch = pitch;
    Q_EMIT changed();
}

void TFont::setSize(int size)
{
    if (size <= 0)
        return;
    m_size = size;
    Q_EMIT changed();
}

void TFont::setStyle(TFontStyles style)
{
    m_style = style;
    Q_EMIT changed();
}

void TFont::assignSilently(const QFont& font, TColor color)
{
    m_name = font.family();
    if (font.pointSize() > 0)
        m_size = font.pointSize();
    else if (font.pixelSize() > 0)
        m_size = std::max(1, static_cast<int>(std::lround(font.pixelSize() * 72.0 / pixelsPerInch())));
    TFontStyles style;
    if (font.bold())
        style |= fsBold;
    if (font.italic())
        style |= fsItalic;
    if (font.underline())
        style |= fsUnderline;
    if (font.strikeOut())
        style |= fsStrikeOut;
    m_style = style;
    m_color = color;
}

void TFont::assign(const TFont& other)
{
    m_charset = other.m_charset;
    m_color = other.m_color;
    m_name = other.m_name;
    m_pitch = other.m_pitch;
    m_size = other.m_size;
    m_style = other.m_style;
    Q_EMIT changed();
}

QFont TFont::toQFont(const QFont& base) const
{
    QFont f = base;
    if (!m_name.isEmpty())
        f = Fonts::designFont(m_name, m_size);
    else
        f.setPointSize(m_size);
    f.setBold(m_style.testFlag(fsBold));
    f.setItalic(m_style.testFlag(fsItalic));
    f.setUnderline(m_style.testFlag(fsUnderline));
    f.setStrikeOut(m_style.testFlag(fsStrikeOut));
    if (m_pitch == fpFixed)
        f.setFixedPitch(true);
    return f;
}

namespace Fonts {

QFont designFont(const QString& family, int pointSize)
{
    QFont f;
    if (family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    else
        f = QFont(family);
    f.setPointSize(pointSize);
    return f;
}

QFont designFontPx(const QString& family, int pixelHeight)
{
    QFont f = designFont(family, 8);
    f.setPixelSize(pixelHeight);
    return f;
}

}
