#include "widgets/hintballoon.h"

#include "widgets/windowshape.h"

#include "platform/colors.h"
#include "platform/tfont.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolTip>

namespace {
QPointer<THintBalloon> g_shown;

QRect screenAt(QPoint point)
{
    if (QScreen* screen = QGuiApplication::screenAt(point))
        return screen->geometry();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry();
    return {};
}

constexpr int kTextFlags = Qt::AlignCenter | Qt::TextExpandTabs;
}

THintBalloon::THintBalloon(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                          | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
{
    setObjectName(QStringLiteral("hintBalloon"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFont(Fonts::designFont(QStringLiteral("MS Sans Serif"), 8));
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kHidePauseMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

THintBalloon::~THintBalloon() = default;

QSize THintBalloon::textSize(const QString& text) const
{
    return fontMetrics().boundingRect(QRect(0, 0, 400, 2000), kTextFlags | Qt::TextWordWrap, text).size();
}

void THintBalloon::showBesidePointer(const QString& text, QPoint pointer)
{
    place(text, BalloonGeometry::besidePointer(textSize(text), pointer, screenAt(pointer)));
}

void THintBalloon::showAt(const QString& text, QPoint topLeft)
{
    place(text, BalloonGeometry::atPoint(textSize(text), topLeft, screenAt(topLeft)));
}

void THintBalloon::place(const QString& text, const BalloonGeometry::Layout& layout)
{
    if (g_shown && g_shown != this)
        g_shown->hide();
    QToolTip::hideText();
    m_text = text;
    m_layout = layout;
    setGeometry(layout.window);
    QRegion shape(layout.ellipse, QRegion::Ellipse);
    if (!layout.tail.isEmpty())
        shape += QRegion(layout.tail);
    shapeWindow(this, shape);
    g_shown = this;
    show();
    update();
    m_hideTimer.start();
}

void THintBalloon::cancelHint()
{
    if (g_shown)
        g_shown->hide();
}

THintBalloon* THintBalloon::current()
{
    return g_shown && g_shown->isVisible() ? g_shown.data() : nullptr;
}

void THintBalloon::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = Colors::toQColor(Colors::clInfoBk);
    const QColor ink = Colors::toQColor(Colors::clInfoText);
    QPainterPath outline;
    outline.addEllipse(QRectF(m_layout.ellipse).adjusted(0.5, 0.5, -0.5, -0.5));
    if (!m_layout.tail.isEmpty()) {
        QPainterPath tail;
        tail.addPolygon(QPolygonF(m_layout.tail));
        tail.closeSubpath();
        outline = outline.united(tail);
    }
    p.fillRect(rect(), fill);
    p.setPen(QPen(ink, 1));
    p.setBrush(fill);
    p.drawPath(outline);
    p.setPen(ink);
    p.drawText(m_layout.text, kTextFlags | Qt::TextWordWrap, m_text);
}
