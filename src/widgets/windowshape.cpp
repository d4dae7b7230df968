#include "widgets/windowshape.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWidget>

void shapeWindow(QWidget* window, const QRegion& region)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    window->setMask(region);
}
