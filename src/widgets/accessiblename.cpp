#include "widgets/accessiblename.h"

#include <QLabel>

void nameAfterLabel(QWidget* control, QLabel* label, const QString& group)
{
    label->setBuddy(control);
    QString name = label->text();
    name.remove(u'&');
    control->setAccessibleName(name.trimmed());
    control->setAccessibleDescription(group);
}

void nameAfterLabel(QWidget* control, QLabel* label) { nameAfterLabel(control, label, QString()); }
