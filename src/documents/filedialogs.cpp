#include "documents/filedialogs.h"

#include <QFileDialog>
#include <QLineEdit>

#include <utility>

namespace {

// Each filter is shown by its description alone; the patterns follow in the
// form the dialog reads (separated by spaces; "*" for all files, since
// "*.*" would leave out names without a dot).
QStringList filterList(std::initializer_list<std::pair<const char*, const char*>> filters)
{
    QStringList list;
    for (const auto& [description, patterns] : filters)
        list << QStringLiteral("%1 (%2)").arg(QLatin1String(description), QLatin1String(patterns));
    return list;
}

QFileDialog* createDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode, const QStringList& filters)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(QLatin1String(name));
    // Saving over an existing file asks first (Qt's own question).
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.first());
    dialog->setSizeGripEnabled(true);
    dialog->setWindowModality(Qt::ApplicationModal);
    return dialog;
}

}

QFileDialog* createOpenDialog(QWidget* parent)
{
    return createDialog(parent, "openDialogFp", QFileDialog::AcceptOpen,
                        filterList({{"Text Files (txt)", "*.txt"},
                                    {"Nfo Files (nfo)", "*.nfo"},
                                    {"Delphi Files (pas, dpr)", "*.pas *.dpr"},
                                    {"C++ Builder Files (c,cpp,h,hpp)", "*.c *.cpp *.h *.hpp"},
                                    {"Batch Files (bat)", "*.bat"},
                                    {"INI Files (Ini)", "*.ini"},
                                    {"All Files", "*"}}));
}

QFileDialog* createSaveDialog(QWidget* parent)
{
    QFileDialog* dialog = createDialog(parent, "saveDialogFp", QFileDialog::AcceptSave,
                                       filterList({{"Text Files (txt)", "*.txt"},
                                                   {"Nfo Files (Nfo)", "*.nfo"},
                                                   {"Delphi Files (pas)", "*.pas"},
                                                   {"Delphi Files (dpr)", "*.dpr"},
                                                   {"C++ Builder Files (c)", "*.c"},
                                                   {"C++ Builder Files (cpp)", "*.cpp"},
                                                   {"C++ Builder Files (h)", "*.h"},
                                                   {"C++ Builder Files (hpp)", "*.hpp"},
                                                   {"Batch Files (Bat)", "*.bat"},
                                                   {"INI Files (Ini)", "*.ini"},
                                                   {"All Files", "*"}}));
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    return dialog;
}

void setDialogFileName(QFileDialog* dialog, const QString& fileName)
{
    if (!fileName.isEmpty()) {
        dialog->selectFile(fileName);
        return;
    }
    // selectFile() ignores an empty name: empty the dialog's own box.
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->clear();
}

DeferredFileDialog::DeferredFileDialog(QWidget* parent, Factory make) : m_parent(parent), m_make(make) {}

QFileDialog* DeferredFileDialog::dialog()
{
    if (!m_dialog) {
        m_dialog = m_make(m_parent);
        if (!m_pendingName.isEmpty())
            setDialogFileName(m_dialog, std::exchange(m_pendingName, QString()));
    }
    return m_dialog;
}

void DeferredFileDialog::setFileName(const QString& fileName)
{
    if (m_dialog)
        setDialogFileName(m_dialog, fileName);
    else
        m_pendingName = fileName; // a new dialog's box is empty already
}
