#pragma once

#include "codec/textformat.h"
#include "recovery/fileidentity.h"
#include "text/textchunk.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TextFileReader;
class TREdit;

// Reads a file into an editor: its start at once, so that the first screen
// shows, and the rest on a worker thread, its chunks joining the text as they
// come while a thin bar at the foot of the view shows how far it has read.
// Meanwhile the user reads, scrolls, selects and copies; the text takes no
// edit until it is whole, and whatever needs the whole text (a save, a
// search, an edit by the program) waits for the rest.
//
// The loader belongs to its editor and goes when the file is read; closing
// the editor stops the worker and waits for it.
class FileLoader : public QObject {
    Q_OBJECT

public:
    struct Started {
        TextFileFormat format;
        // Complete (with the content's hash) when the file was read at once.
        FileIdentity stamp;
        // Still reading (signals below), or null when the file was read at
        // once.
        FileLoader* loader = nullptr;
    };

    // Raises "Cannot open file %s" (with the reason when there is one) as
    // TextFileReader does; the editor is then left as it was.
    static Started start(const QString& path, TREdit* editor);

    // A whole file's text, read already, into the editor at once.
    static void loadWhole(TREdit* editor, const TextFileFormat& format, std::vector<TextChunk> chunks);

    ~FileLoader() override;

    // Waits until the worker has read everything, and hands it over.
    void finishNow();

Q_SIGNALS:
    // More of the file joined the text; more is to come.
    void progressed();
    // The whole file is in; format's line break is now that of the file's
    // first break; stamp is the file's as it was opened, with the hash of
    // everything read.
    void finished(const TextFileFormat& format, const FileIdentity& stamp);
    // Reading broke off: the text holds only what came before.
    void failed(const QString& why);

private:
    FileLoader(std::unique_ptr<TextFileReader> reader, TREdit* editor);
    void work();
    Q_INVOKABLE void deliver();

    std::unique_ptr<TextFileReader> m_reader; // the worker's while it runs
    TREdit* m_editor;
    const qint64 m_size;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    bool m_delivered = false; // everything handed over

    std::mutex m_mutex; // guards what follows
    std::vector<TextChunk> m_ready;
    qint64 m_bytesRead = 0;
    bool m_posted = false;
    bool m_restart = false; // what was handed over is to go
    bool m_done = false;
    QString m_error;
    TextFileFormat m_format;
};
