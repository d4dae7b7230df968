#include "widgets/scrollingtext.h"

#include "widgets/ticksource.h"

#include <QPainter>

TScrollingText::TScrollingText(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setTickSource(new TTimerTickSource);
}

void TScrollingText::setLines(const QStringList& lines)
{
    m_lines = lines;
    update();
}

void TScrollingText::setBackground(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

void TScrollingText::setTickSource(TTickSource* source)
{
    const bool running = isScrolling();
    if (m_ticks) {
        m_ticks->stop();
        delete m_ticks;
    }
    m_ticks = source;
    m_ticks->setParent(this);
    connect(m_ticks, &TTickSource::tick, this, &TScrollingText::advance);
    if (running)
        m_ticks->start(kIntervalMs);
}

void TScrollingText::setScrolling(bool on)
{
    if (on == isScrolling())
        return;
    if (on)
        m_ticks->start(kIntervalMs);
    else
        m_ticks->stop();
}

bool TScrollingText::isScrolling() const { return m_ticks && m_ticks->isActive(); }

void TScrollingText::advance()
{
    m_step = (m_step + 1) % kSteps;
    update();
}

int TScrollingText::textTop(int step, int steps, int boxHeight, int textHeight)
{
    if (steps <= 0)
        return boxHeight;
    return boxHeight - static_cast<int>(static_cast<long long>(boxHeight + textHeight) * step / steps);
}

int TScrollingText::textHeight() const
{
    return static_cast<int>(m_lines.size()) * fontMetrics().lineSpacing() + m_look.extent(QSize()).height();
}

void TScrollingText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    const int line = fontMetrics().lineSpacing();
    const int extra = m_look.extent(QSize()).height();
    int y = textTop(m_step, kSteps, height(), textHeight());
    for (const QString& text : m_lines) {
        const QRect r(0, y, width(), line + extra);
        if (!text.isEmpty() && r.bottom() >= 0 && r.top() < height())
            drawText3D(p, r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text, m_look, palette(), isEnabled());
        y += line;
    }
}
