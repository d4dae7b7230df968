#include "widgets/statusindicators.h"

#include "platform/lockkeys.h"

namespace {
std::optional<bool> systemState(TLockKeyIndicator::Key key)
{
    const LockKeyStates states = readLockKeyStates();
    switch (key) {
    case TLockKeyIndicator::Key::Caps: return states.capsLock;
    case TLockKeyIndicator::Key::Scroll: return states.scrollLock;
    case TLockKeyIndicator::Key::Num: return states.numLock;
    }
    return std::nullopt;
}
}

TLockKeyIndicator::TLockKeyIndicator(Key key, const QString& label, QWidget* parent)
    : QLabel(parent), m_key(key), m_label(label), m_reader(systemState)
{
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(fontMetrics().horizontalAdvance(m_label + QStringLiteral(" Off")) + 8);
    m_poll.setInterval(250);
    connect(&m_poll, &QTimer::timeout, this, &TLockKeyIndicator::refresh);
}

// Polled only while shown: the status bar starts hidden.
void TLockKeyIndicator::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    refresh();
    m_poll.start();
}

void TLockKeyIndicator::hideEvent(QHideEvent* event)
{
    QLabel::hideEvent(event);
    m_poll.stop();
}

void TLockKeyIndicator::setReader(Reader reader)
{
    m_reader = std::move(reader);
    refresh();
}

void TLockKeyIndicator::refresh()
{
    const std::optional<bool> state = m_reader ? m_reader(m_key) : std::nullopt;
    const QString value = !state ? QStringLiteral("?") : (*state ? QStringLiteral("On") : QStringLiteral("Off"));
    const QString shown = m_label + u' ' + value;
    if (shown != text())
        setText(shown);
}

TClockIndicator::TClockIndicator(QWidget* parent) : QLabel(parent), m_clock([] { return QDateTime::currentDateTime(); })
{
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00 00:00:00")) + 8);
    m_tick.setSingleShot(true);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &TClockIndicator::refresh);
}

int TClockIndicator::msToNextSecond(const QTime& now)
{
    return 1000 - (now.isValid() ? now.msec() : 0) + 2;
}

void TClockIndicator::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    refresh();
}

void TClockIndicator::hideEvent(QHideEvent* event)
{
    QLabel::hideEvent(event);
    m_tick.stop();
}

void TClockIndicator::setClock(Clock clock)
{
    m_clock = std::move(clock);
    refresh();
}

QString TClockIndicator::format(const QDateTime& t)
{
    return t.toString(QStringLiteral("dd/MM/yy HH:mm:ss"));
}

void TClockIndicator::refresh()
{
    setText(format(m_clock()));
    // Polled only while shown: the status bar starts hidden.
    if (isVisible())
        m_tick.start(msToNextSecond(QTime::currentTime()));
}
