#include "widgets/pagecontrol.h"

#include <QTabBar>

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent)
{
    tabBar()->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::NoFocus);
    setUsesScrollButtons(true);
    // Captions are never cut short, whatever the style would choose.
    setElideMode(Qt::ElideNone);
}

TPageControl::TTabPosition TPageControl::tabSide() const
{
    switch (tabPosition()) {
    case QTabWidget::North: return tpTop;
    case QTabWidget::South: return tpBottom;
    case QTabWidget::West: return tpLeft;
    case QTabWidget::East: return tpRight;
    }
    return tpTop;
}

void TPageControl::setTabSide(TTabPosition side)
{
    switch (side) {
    case tpTop: setTabPosition(QTabWidget::North); break;
    case tpBottom: setTabPosition(QTabWidget::South); break;
    case tpLeft: setTabPosition(QTabWidget::West); break;
    case tpRight: setTabPosition(QTabWidget::East); break;
    }
}

void TPageControl::setMultiLine(bool on)
{
    m_multiLine = on;
}
