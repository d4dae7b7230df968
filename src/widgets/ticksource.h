#pragma once

#include <QObject>
#include <QTimer>

// What drives a periodic animation: a timer of the user-interface thread
// by default; tests hand in a source they tick by hand.
class TTickSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;

    // A window timer's interval: rounded up to a multiple of 50 ms.
    static int roundedInterval(int ms);

Q_SIGNALS:
    void tick();
};

// The usual source: a QTimer.
class TTimerTickSource : public TTickSource {
    Q_OBJECT
public:
    explicit TTimerTickSource(QObject* parent = nullptr);
    void start(int intervalMs) override;
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};
