#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a kill, the terminal closing, Ctrl+C) turned
// into a Qt signal on the user's thread, so the program can end in order
// instead of on the spot. The handler does no more than write the signal's
// number into a pipe the user's thread watches. A second signal, while the
// program is still ending after the first, ends it at once. A signal that
// was ignored when the program started (nohup) stays ignored.
//
// One at a time: the handlers are the process's.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // The signals' former handling comes back.
    ~TerminationSignals() override;

    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
