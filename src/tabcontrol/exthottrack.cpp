#include "tabcontrol/exthottrack.h"

TExtHottrack::TExtHottrack(QObject* parent) : QObject(parent) {}

void TExtHottrack::setEnabled(bool on)
{
    m_enabled = on;
    Q_EMIT changed();
}

void TExtHottrack::setTabActiveColor(TColor color)
{
    m_activeColor = color;
    Q_EMIT changed();
}

void TExtHottrack::setTabInactiveColor(TColor color)
{
    m_inactiveColor = color;
    Q_EMIT changed();
}
