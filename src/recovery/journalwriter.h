#pragma once

#include <QByteArrayView>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Does the journals' disk work on a thread of its own, one task after the
// other in the order they were given, so that typing never waits for the
// disk.
class JournalWriter {
public:
    JournalWriter();
    // Finishes every task given, then ends its thread.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void post(std::function<void()> task);
    // Returns once every task given so far is done.
    void wait();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_tasks;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

// One journal file on the disk. Used on the writer's thread only.
class JournalFile {
public:
    explicit JournalFile(QString path) : m_path(std::move(path)) {}
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    const QString& path() const { return m_path; }
    // The reason of the last failure.
    const QString& problem() const { return m_problem; }

    // The whole content: written to a temporary file that then takes the
    // name, so the journal is never found half written.
    bool replace(QByteArrayView content);
    // Adds records at the end and waits until they are on the disk. A write
    // that fails half-way is undone, so no broken record stays before later
    // ones.
    bool append(QByteArrayView records);
    // Takes over a journal file left elsewhere (moved here, not copied), cut
    // to its first size bytes.
    bool adopt(const QString& from, qint64 size);
    // The journal goes.
    bool remove();

private:
    bool fail(const QString& what);
    bool openForAppend();
    void close();

    QString m_path;
    QString m_problem;
    int m_fd = -1;
};
