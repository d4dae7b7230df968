#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

// Answers the next modal dialog of type D: polls every 10 ms until it is the
// active modal widget, then runs answer on it (which must close it). Call
// before the code that opens the dialog.
template <typename D>
void answerModal(std::function<void(D*)> answer, int timeoutMs = 10000)
{
    auto* poll = new QTimer(qApp);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, elapsed, answer = std::move(answer), timeoutMs] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
            return;
        }
        if (elapsed->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no modal dialog of the expected type appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    poll->start();
}
