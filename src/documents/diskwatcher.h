#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

class DocumentTable;
class FileCommands;

// Watches the files of the open documents and has the file commands follow
// each change. A file and its folder are both watched: the file for writes
// in place, the folder for a file replaced by a rename (as editors and
// version control save), deleted, moved away or created again. Changes are
// taken together, a quiet period after the first report, as a program
// writing a file reports many times.
class DiskWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int QuietPeriodMs = 100;

    DiskWatcher(DocumentTable& table, FileCommands& files, QObject* parent = nullptr);

private:
    // The watched paths follow the open documents' files.
    void watchOpenFiles();
    void followAll();

    DocumentTable& m_table;
    FileCommands& m_files;
    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    // The file each watched path stood for when it was watched: a watch
    // follows one file, so a path that now names another is watched anew.
    QHash<QString, quint64> m_watchedInodes;
};
