#include "explorer/viewlook.h"

#include "platform/tfont.h"

#include <QHeaderView>
#include <QPalette>
#include <QTreeView>

TSxViewLook::TSxViewLook(QTreeView* view, const QFont& font) : QObject(view), m_view(view), m_font(new TFont(this))
{
    m_font->setObjectName(QStringLiteral("Font"));
    m_font->assignSilently(font, Colors::clWindowText);
    connect(m_font, &TFont::changed, this, [this] { apply(); });
    apply();
}

void TSxViewLook::setColor(TColor color)
{
    m_color = color;
    apply();
}

void TSxViewLook::setFontObject(const TFont* font)
{
    if (font && font != m_font)
        m_font->assign(*font);
}

void TSxViewLook::setCompressedColor(TColor color)
{
    m_compressedColor = color;
    Q_EMIT changed();
}

void TSxViewLook::setHotTrack(bool on)
{
    m_hotTrack = on;
    Q_EMIT changed();
}

void TSxViewLook::apply()
{
    m_view->setFont(m_font->toQFont(m_view->font()));
    m_view->header()->setFont(m_view->font());
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, Colors::toQColor(m_color));
    pal.setColor(QPalette::Text, Colors::toQColor(m_font->color()));
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    m_view->setPalette(pal);
}
