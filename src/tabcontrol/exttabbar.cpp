#include "tabcontrol/exttabbar.h"

#include "tabcontrol/extpagecontrol.h"

#include <QEnterEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QWhatsThis>

TExtTabBar::TExtTabBar(TExtPageControl* control) : QTabBar(control), m_control(control)
{
    setObjectName(QStringLiteral("qt_tabwidget_tabbar"));
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    setMouseTracking(true);
}

void TExtTabBar::relayoutTabs()
{
    // A font change is what makes the strip measure its tabs again.
    QEvent change(QEvent::FontChange);
    changeEvent(&change);
    updateGeometry();
}

QSize TExtTabBar::tabSizeHint(int index) const
{
    return TabGeometry::screenTabSize(m_control->side(), m_control->platformItemSize(),
                                      m_control->automaticTabSize(index));
}

QSize TExtTabBar::minimumTabSizeHint(int index) const { return tabSizeHint(index); }

void TExtTabBar::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    m_control->update();
}

void TExtTabBar::tabRemoved(int index)
{
    QTabBar::tabRemoved(index);
    m_control->update();
}

void TExtTabBar::tabLayoutChange()
{
    QTabBar::tabLayoutChange();
    m_control->update();
}

bool TExtTabBar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut: {
        // Accelerators go through ActivePage, which refuses disabled pages.
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        for (int i = 0; i < count(); ++i) {
            if (QKeySequence::mnemonic(tabText(i)) == shortcut->key()) {
                m_control->activateByAccelerator(i);
                return true;
            }
        }
        break;
    }
    case QEvent::WhatsThis: {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = tabAt(help->pos());
        if (QWidget* page = index >= 0 ? m_control->widget(index) : nullptr; page && !page->whatsThis().isEmpty()) {
            QWhatsThis::showText(help->globalPos(), page->whatsThis(), page);
            return true;
        }
        break;
    }
    default: break;
    }
    return QTabBar::event(event);
}

void TExtTabBar::paintEvent(QPaintEvent*)
{
    // The control paints the strip: it shows through.
}

void TExtTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !m_control->acceptTabPress(tabAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTabBar::mousePressEvent(event);
}

void TExtTabBar::mouseMoveEvent(QMouseEvent* event)
{
    QTabBar::mouseMoveEvent(event);
    m_control->mouseHitTest(mapTo(m_control, event->position().toPoint()));
}

void TExtTabBar::enterEvent(QEnterEvent* event)
{
    QTabBar::enterEvent(event);
    m_control->MouseInControl = true;
}

void TExtTabBar::leaveEvent(QEvent* event)
{
    QTabBar::leaveEvent(event);
    m_control->mouseLeftControl();
}
