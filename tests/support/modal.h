#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>

namespace modal_detail {
// The answers set up and not yet given, oldest first: each says whether it
// would take a given dialog.
using Taker = std::function<bool(QWidget*)>;
inline std::list<std::shared_ptr<Taker>>& pending()
{
    static std::list<std::shared_ptr<Taker>> answers;
    return answers;
}

// True when an answer set up before mine would take dialog: it goes first,
// whichever poll happens to run first once the dialog is active.
inline bool olderAnswerTakes(const std::shared_ptr<Taker>& mine, QWidget* dialog)
{
    for (const auto& answer : pending()) {
        if (answer == mine)
            return false;
        if ((*answer)(dialog))
            return true;
    }
    return false;
}
}

// Answers the next modal dialog of type D: polls every 10 ms, with events
// running, until it is the active modal widget and has been made the active
// window, then runs answer on it (which must close it). Call before the code
// that opens the dialog. Answers set up one after the other take the dialogs
// they fit in that same order.
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
    auto mine = std::make_shared<modal_detail::Taker>([](QWidget* w) { return qobject_cast<D*>(w) != nullptr; });
    modal_detail::pending().push_back(mine);
    auto finish = [poll, mine] {
        poll->stop();
        poll->deleteLater();
        modal_detail::pending().remove(mine);
    };
    QObject::connect(poll, &QTimer::timeout, poll, [finish, mine, elapsed, answer = std::move(answer), timeoutMs] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog && dialog->isActiveWindow() && !modal_detail::olderAnswerTakes(mine, dialog)) {
            finish();
            answer(dialog);
            return;
        }
        if (elapsed->elapsed() > timeoutMs) {
            finish();
            if (dialog)
                ADD_FAILURE() << "the modal dialog was never answered (not active, or an older answer waits)";
            else
                ADD_FAILURE() << "no modal dialog of the expected type appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    poll->start();
}
