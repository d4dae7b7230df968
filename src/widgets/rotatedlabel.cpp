#include "widgets/rotatedlabel.h"

#include <QPainter>

TRotateLabel::TRotateLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text)
{
    m_blink.setInterval(700);
    connect(&m_blink, &QTimer::timeout, this, [this] {
        m_textShown = !m_textShown;
        update();
    });
}

void TRotateLabel::setText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

void TRotateLabel::setBlinking(bool on)
{
    if (on) {
        m_blink.start();
    } else {
        m_blink.stop();
        m_textShown = true;
        update();
    }
}

QSize TRotateLabel::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.height() + 4, fm.horizontalAdvance(m_text) + 8};
}

void TRotateLabel::paintEvent(QPaintEvent*)
{
    if (!m_textShown)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(palette().color(QPalette::WindowText));
    p.translate(width() / 2.0, height() / 2.0);
    p.rotate(-90);
    const QRect box(-height() / 2, -width() / 2, height(), width());
    p.drawText(box, Qt::AlignCenter, m_text);
}
