#pragma once

#include "support/modal.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

// Types name into the dialog's file name box and presses Open or Save, as a
// user would. False when it is not Qt's own dialog.
inline bool typeAndAccept(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!edit || !buttons)
        return false;
    // The dialog reads folders on a thread of its own: what it has found so
    // far is taken in first, so that no late selection replaces the name.
    QApplication::processEvents();
    edit->setText(name);
    buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open)
        ->click();
    return true;
}

// Answers the next file dialog with name. A dialog that stays open (it did
// not take the name) is a failure and is cancelled.
inline void answerFileDialog(const QString& name)
{
    answerModal<QFileDialog>([name](QFileDialog* dialog) {
        if (!typeAndAccept(dialog, name)) {
            ADD_FAILURE() << "not Qt's own file dialog";
            dialog->reject();
            return;
        }
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog did not take " << name.toStdString();
            dialog->reject();
        }
    });
}

inline void cancelFileDialog()
{
    answerModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
}

// What the dialog's file name box holds.
inline QString fileDialogName(QFileDialog* dialog)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QStringLiteral("<no file name box>");
}
