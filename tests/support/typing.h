#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

// Types text into a widget as key presses carrying each character, which
// QTest::keyClicks cannot do beyond ASCII.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
