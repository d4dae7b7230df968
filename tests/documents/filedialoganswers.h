#pragma once

#include "support/modal.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

// Answers the next file dialog as a user would: types name into its file
// name box and presses Open or Save. A dialog that stays open (it did not
// take the name) is a failure and is cancelled.
inline void answerFileDialog(const QString& name)
{
    answerModal<QFileDialog>([name](QFileDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (!edit || !buttons) {
            ADD_FAILURE() << "not Qt's own file dialog";
            dialog->reject();
            return;
        }
        edit->setText(name);
        QPushButton* accept = buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                                              : QDialogButtonBox::Open);
        accept->click();
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
