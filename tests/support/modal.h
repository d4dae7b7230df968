#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

// Answers the next modal dialog of type D: polls every 10 ms, with events
// running, until it is the active modal widget and has been made the active
// window, then runs answer on it (which must close it). Call before the code
// that opens the dialog.
//
// Showing a window only queues its activation with the window system; until
// that event is delivered the keyboard focus is still in the window below,
// whatever the dialog gave its first field. A user cannot type into the
// dialog before then either, so neither does the answer.
template <typename D>
void answerModal(std::function<void(D*)> answer, int timeoutMs = 10000)
{
    auto* poll = new QTimer(qApp);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, elapsed, answer = std::move(answer), timeoutMs] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog && dialog->isActiveWindow()) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
            return;
        }
        if (elapsed->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            if (dialog)
                ADD_FAILURE() << "the modal dialog never became the active window";
            else
                ADD_FAILURE() << "no modal dialog of the expected type appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    poll->start();
}
