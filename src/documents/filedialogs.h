#pragma once

class QFileDialog;
class QString;
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
