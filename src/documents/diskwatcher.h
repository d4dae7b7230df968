#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

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
    // One watched file or folder. Qt spells a path as UTF-8, so one whose
    // bytes are not UTF-8 is watched as /proc/self/fd/N of a descriptor held
    // on the file or folder itself.
    struct Watch {
        explicit Watch(const QString& path);
        Watch(Watch&& other) noexcept;
        Watch& operator=(Watch&&) = delete;
        ~Watch();
        QString name;      // the name the watcher knows
        quint64 inode = 0; // a file's: the watch follows that file
        int fd = -1;       // held while name stands for it
    };

    // The watched paths follow the open documents' files.
    void watchOpenFiles();
    void followAll();
    bool add(std::map<QString, Watch>& watches, const QString& path, quint64 inode);

    DocumentTable& m_table;
    FileCommands& m_files;
    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    // By path. A file's watch follows one file, so a path that now names
    // another is watched anew.
    std::map<QString, Watch> m_watchedFiles;
    std::map<QString, Watch> m_watchedFolders;
};
