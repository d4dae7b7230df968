#include "widgets/explodingframe.h"

#include "widgets/windowshape.h"

#include <QPainter>

#include <algorithm>

TExplodingFrame::TExplodingFrame(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                         | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
{
    setObjectName(QStringLiteral("explodingFrame"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, &TExplodingFrame::nextFrame);
}

std::vector<QRect> TExplodingFrame::frames(QPoint from, const QRect& to, int count)
{
    std::vector<QRect> out;
    if (count <= 0 || !to.isValid())
        return out;
    out.reserve(count);
    for (int i = 1; i <= count; ++i) {
        const auto lerp = [i, count](int a, int b) { return a + (b - a) * i / count; };
        const int left = lerp(from.x(), to.left());
        const int top = lerp(from.y(), to.top());
        const int right = lerp(from.x(), to.left() + to.width());
        const int bottom = lerp(from.y(), to.top() + to.height());
        out.emplace_back(QPoint(left, top), QSize(std::max(1, right - left), std::max(1, bottom - top)));
    }
    return out;
}

void TExplodingFrame::play(QPoint from, const QRect& to)
{
    m_frames = frames(from, to, kFrames);
    m_next = 0;
    if (m_frames.empty())
        return;
    nextFrame();
    m_timer.start();
}

void TExplodingFrame::stopPlaying()
{
    m_timer.stop();
    m_frames.clear();
    m_next = 0;
    hide();
}

void TExplodingFrame::nextFrame()
{
    if (m_next >= static_cast<int>(m_frames.size())) {
        stopPlaying();
        return;
    }
    const QRect r = m_frames[static_cast<size_t>(m_next++)];
    setGeometry(r);
    const QRect local(QPoint(0, 0), r.size());
    const int w = std::min({kLineWidth, r.width() / 2, r.height() / 2});
    QRegion ring(local);
    if (w > 0)
        ring -= QRegion(local.adjusted(w, w, -w, -w));
    shapeWindow(this, ring);
    if (!isVisible())
        show();
    update();
}

void TExplodingFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Shadow));
}
