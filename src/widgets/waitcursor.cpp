#include "widgets/waitcursor.h"

#include <QApplication>

WaitCursor::WaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        m_active = false;
}

WaitCursor::~WaitCursor()
{
    if (m_active)
        QApplication::restoreOverrideCursor();
}
