#pragma once

#include "app/forms.h"
#include "app/tfp.h"
#include "options/toption.h"
#include "support/modal.h"
#include "widgets/clicklabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

// A user's actions in the Options dialog.
namespace OptionsInput {

// A mouse click on the box of a check box or radio button.
inline void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// The space bar on a focused check box.
inline void space(QAbstractButton* button) { QTest::keyClick(button, Qt::Key_Space); }

// Walks a closed drop-down list with the arrow keys to item index.
inline void pick(QComboBox* combo, int index)
{
    // A list filled on first need fills at the first key.
    if (combo->count() == 0)
        QTest::keyClick(combo, Qt::Key_Down);
    if (index < 0 || index >= combo->count()) {
        ADD_FAILURE() << "no item " << index << " in " << combo->objectName().toStdString();
        return;
    }
    while (combo->currentIndex() != index) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        if (combo->currentIndex() == before) {
            ADD_FAILURE() << "the arrow keys do not move " << combo->objectName().toStdString();
            return;
        }
    }
}

// Walks to the item of that text, finding it again at each step (a pick
// may drop an entry, such as a font that is not installed).
inline void pick(QComboBox* combo, const QString& text)
{
    if (combo->count() == 0)
        QTest::keyClick(combo, Qt::Key_Down);
    for (int steps = 0; steps <= combo->count() && combo->currentText() != text; ++steps) {
        const int target = combo->findText(text);
        if (target < 0)
            break;
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }
    if (combo->currentText() != text)
        ADD_FAILURE() << "cannot reach " << text.toStdString() << " in " << combo->objectName().toStdString();
}

// Opens the dialog from the main window's menu, lets actions work in it,
// then leaves it by "Click here to exit".
inline void useOptions(const std::function<void(TOption*)>& actions)
{
    answerModal<TOption>([actions](TOption* dialog) {
        actions(dialog);
        QTest::mouseClick(dialog->lbOptionExit, Qt::LeftButton);
    });
    Fp->mnuOption->trigger();
}

}
