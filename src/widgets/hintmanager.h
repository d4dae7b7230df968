#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;
class THintBalloon;

// Shows every widget hint of the application in an elliptic balloon instead
// of the plain tooltip: it watches the application's tooltip requests, finds
// the hint as the widget and its parents would (the first non-empty one up
// to the window), and places the balloon above and to the left of the
// pointer, or where the widget asks (HintPositioner). Requests it finds no
// hint for go on to Qt (item views with per-item tips, for example).
class THintManager : public QObject {
    Q_OBJECT
public:
    explicit THintManager(QObject* parent = nullptr);
    ~THintManager() override;

    THintBalloon* balloon() const { return m_balloon.get(); }

    // The hint a tooltip request at a widget would show, and the widget it
    // belongs to; empty when none.
    static QString hintFor(QWidget* widget, QPoint localPos, QWidget** owner = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool showHint(QWidget* widget, QPoint localPos, QPoint globalPos);
    void hideHint();

    std::unique_ptr<THintBalloon> m_balloon;
    QPointer<QWidget> m_source;
};
