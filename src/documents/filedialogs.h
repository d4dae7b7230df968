#pragma once

#include <QPointer>
#include <QString>

class QFileDialog;
class QWidget;

// The main window's open and save dialogs: Qt's own file dialog (the same on
// every desktop, so the filters, the default extension and the overwrite
// question hold everywhere), resizable, the first filter chosen, "txt" added
// to a name typed without extension when saving. Neither insists that the
// named file exists; saving over an existing file asks first.
QFileDialog* createOpenDialog(QWidget* parent);
QFileDialog* createSaveDialog(QWidget* parent);

// Sets the file name the dialog shows; an empty name empties the box, so
// that the next opening starts without a name.
void setDialogFileName(QFileDialog* dialog, const QString& fileName);

// A file dialog made the first time it is shown or asked for. Building
// Qt's dialog scans the working folder on two threads and loads its icons,
// which took a third of the window's start-up; most sessions never open it.
// A file name set before then is given to the dialog when it is made.
class DeferredFileDialog {
public:
    using Factory = QFileDialog* (*)(QWidget* parent);
    DeferredFileDialog(QWidget* parent, Factory make);

    // The dialog, made on the first call; owned by the parent widget.
    QFileDialog* dialog();
    bool isMade() const { return !m_dialog.isNull(); }
    // As setDialogFileName, without making the dialog.
    void setFileName(const QString& fileName);

private:
    QPointer<QWidget> m_parent;
    Factory m_make;
    QPointer<QFileDialog> m_dialog;
    QString m_pendingName;
};
