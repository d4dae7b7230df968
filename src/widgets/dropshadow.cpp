#include "widgets/dropshadow.h"

#include "widgets/windowshape.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

TDropShadow::TDropShadow(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                         | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      m_owner(owner)
{
    setObjectName(QStringLiteral("dropShadow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &TDropShadow::follow);
    owner->installEventFilter(this);
}

QRect TDropShadow::shadowRect(const QRect& frame)
{
    return frame.translated(kDepth, kDepth);
}

QRegion TDropShadow::shadowRegion(const QRect& frame)
{
    return QRegion(shadowRect(frame)) - QRegion(frame);
}

int TDropShadow::darkness(int distance)
{
    // Darkest next to the frame, fading out towards the shadow's edge.
    const int d = std::clamp(distance, 0, kDepth - 1);
    return 110 - d * 90 / (kDepth - 1);
}

bool TDropShadow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner) {
        switch (event->type()) {
        case QEvent::Show:
            // Once the dialog is on screen, so its frame is known.
            QTimer::singleShot(0, this, &TDropShadow::follow);
            break;
        case QEvent::Hide:
            m_settle.stop();
            hide();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (isVisible() || m_settle.isActive()) {
                hide();
                m_settle.start();
            }
            break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TDropShadow::follow()
{
    if (!m_owner || !m_owner->isVisible())
        return;
    const QRect frame = m_owner->frameGeometry();
    if (frame == m_frame && isVisible())
        return;
    hide();
    m_frame = frame;
    const QRect area = shadowRect(frame);
    grabBackground(area);
    setGeometry(area);
    shapeWindow(this, shadowRegion(frame).translated(-area.topLeft()));
    show();
    update();
}

void TDropShadow::grabBackground(const QRect& area)
{
    m_background = QImage();
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect local = area.translated(-screen->geometry().topLeft());
    const QPixmap grabbed = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
    if (!grabbed.isNull() && grabbed.size() == area.size())
        m_background = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
}

void TDropShadow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QSize size = this->size();
    QImage shade(size, QImage::Format_RGB32);
    const QColor plain = palette().color(QPalette::Window);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shade.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            // Distance from the dialog's frame, which covers the top-left part.
            const int dx = x - (size.width() - kDepth);
            const int dy = y - (size.height() - kDepth);
            const int distance = std::max(dx, dy);
            const int k = darkness(distance);
            const QRgb under = m_background.isNull() ? plain.rgb() : m_background.pixel(x, y);
            line[x] = qRgb(qRed(under) * (255 - k) / 255, qGreen(under) * (255 - k) / 255,
                           qBlue(under) * (255 - k) / 255);
        }
    }
    p.drawImage(0, 0, shade);
}
