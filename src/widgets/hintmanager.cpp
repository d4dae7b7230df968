#include "widgets/hintmanager.h"

#include "widgets/hintballoon.h"
#include "widgets/hintpositioner.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWidget>

THintManager::THintManager(QObject* parent) : QObject(parent), m_balloon(std::make_unique<THintBalloon>())
{
    setObjectName(QStringLiteral("hintFp"));
    qApp->installEventFilter(this);
}

THintManager::~THintManager()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

QString THintManager::hintFor(QWidget* widget, QPoint localPos, QWidget** owner)
{
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        const int index = tabs->tabAt(localPos);
        if (index >= 0 && !tabs->tabToolTip(index).isEmpty()) {
            if (owner)
                *owner = widget;
            return tabs->tabToolTip(index);
        }
    }
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty()) {
            if (owner)
                *owner = w;
            return w->toolTip();
        }
        if (w->isWindow())
            break;
    }
    if (owner)
        *owner = nullptr;
    return {};
}

bool THintManager::showHint(QWidget* widget, QPoint localPos, QPoint globalPos)
{
    QWidget* owner = nullptr;
    const QString text = hintFor(widget, localPos, &owner);
    if (text.isEmpty()) {
        hideHint();
        return false;
    }
    if (m_balloon->isVisible() && m_source == widget && m_balloon->text() == text)
        return true;
    m_source = widget;
    const auto* positioner = dynamic_cast<const HintPositioner*>(owner);
    const std::optional<QPoint> at = positioner ? positioner->hintPosition(globalPos) : std::nullopt;
    if (at)
        m_balloon->showAt(text, *at);
    else
        m_balloon->showBesidePointer(text, globalPos);
    return true;
}

void THintManager::hideHint()
{
    m_source = nullptr;
    if (m_balloon->isVisible())
        m_balloon->hide();
}

bool THintManager::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget == m_balloon.get())
            break;
        auto* help = static_cast<QHelpEvent*>(event);
        return showHint(widget, help->pos(), help->globalPos());
    }
    case QEvent::MouseMove:
        // Like a tooltip, the balloon goes once the pointer leaves the
        // widget it belongs to.
        if (m_balloon->isVisible()) {
            const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (!m_source || !QRect(m_source->mapToGlobal(QPoint(0, 0)), m_source->size()).contains(global))
                hideHint();
        }
        break;
    case QEvent::Leave:
        if (m_balloon->isVisible() && watched == m_source)
            hideHint();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
    case QEvent::ApplicationDeactivate:
        if (m_balloon->isVisible())
            hideHint();
        break;
    default: break;
    }
    return false;
}
