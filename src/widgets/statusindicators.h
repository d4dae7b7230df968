#pragma once

#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include <functional>
#include <optional>

// A status-bar indicator "Caps: On" that polls one lock key about every
// 250 ms; shows "?" where the state cannot be known.
class TLockKeyIndicator : public QLabel {
    Q_OBJECT
public:
    enum class Key { Caps, Scroll, Num };
    using Reader = std::function<std::optional<bool>(Key)>;

    TLockKeyIndicator(Key key, const QString& label, QWidget* parent = nullptr);
    // Test seam: where the state comes from.
    void setReader(Reader reader);
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Key m_key;
    QString m_label;
    Reader m_reader;
    QTimer m_poll;
};

// A status-bar clock "dd/mm/yy hh:mm:ss", updated as each second begins.
class TClockIndicator : public QLabel {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    explicit TClockIndicator(QWidget* parent = nullptr);
    // Test seam: where the time comes from (the local clock).
    void setClock(Clock clock);
    void refresh();
    static QString format(const QDateTime& t);
    // The wait from a time of day to just past the next whole second, so
    // the clock never skips or repeats a second.
    static int msToNextSecond(const QTime& now);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Clock m_clock;
    QTimer m_tick;
};
