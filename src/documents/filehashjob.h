#pragma once

#include "recovery/fileidentity.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

// A file's identity with the hash of all its bytes, worked out on a worker
// thread so that a large file does not stop the window. The identity is the
// file's as the worker opened it: a write during the read shows later as a
// change.
//
// A job belongs to a QObject (a document's editor) and goes with it; going
// stops the worker and waits for it.
class FileHashJob : public QObject {
    Q_OBJECT

public:
    // expected: the file at path as it was seen when the job was asked for.
    FileHashJob(const QString& path, const FileIdentity& expected, QObject* parent);
    ~FileHashJob() override;

    const FileIdentity& expected() const { return m_expected; }
    bool isDone() const;
    // Waits for the worker (with the busy cursor); the identity with its
    // hash, or none when the file could not be read whole.
    std::optional<FileIdentity> result();

Q_SIGNALS:
    // The worker has finished (the result is ready).
    void done();

private:
    void work(const QByteArray& nativePath);

    const FileIdentity m_expected;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex; // guards what follows
    bool m_done = false;
    std::optional<FileIdentity> m_result;
    std::thread m_worker; // last: started once the rest is made
};
