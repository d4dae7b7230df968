#include "widgets/checkbox.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

TCheckBox::TCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    // clicked is the user's toggle only; setChecked from code does not emit it.
    connect(this, &QCheckBox::clicked, this, [this] {
        const bool byMouse = m_mouseRelease;
        Q_EMIT Change();
        if (byMouse)
            Q_EMIT Click();
    });
}

void TCheckBox::setCheckedSilently(bool checked)
{
    const QSignalBlocker block(this);
    setChecked(checked);
}

void TCheckBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QScopedValueRollback flag(m_mouseRelease, true);
    QCheckBox::mouseReleaseEvent(event);
}
