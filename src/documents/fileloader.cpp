#include "documents/fileloader.h"

#include "documents/textfilereader.h"
#include "editor/tredit.h"

#include <utility>

namespace {

// Bytes the worker reads between two hand-overs.
constexpr qint64 Step = 8 * 1024 * 1024;

TextBytes::Break breakOf(LineBreak style)
{
    switch (style) {
    case LineBreak::LF: return TextBytes::Break::LF;
    case LineBreak::CR: return TextBytes::Break::CR;
    case LineBreak::CRLF: break;
    }
    return TextBytes::Break::CRLF;
}

} // namespace

FileLoader::Started FileLoader::start(const QString& path, TREdit* editor)
{
    auto reader = std::make_unique<TextFileReader>(path);
    std::vector<TextChunk> first = reader->read(0);
    reader->takeRestart(); // nothing was shown yet
    const TextFileFormat format = reader->format();
    if (reader->atEnd()) {
        loadWhole(editor, format, std::move(first));
        return {format, reader->stamp(), nullptr};
    }
    auto* loader = new FileLoader(std::move(reader), editor);
    editor->beginLoading(breakOf(format.lineBreak), [loader] { loader->finishNow(); });
    editor->appendLoaded(std::move(first));
    loader->m_worker = std::thread([loader] { loader->work(); });
    return {format, {}, loader};
}

void FileLoader::loadWhole(TREdit* editor, const TextFileFormat& format, std::vector<TextChunk> chunks)
{
    editor->beginLoading(breakOf(format.lineBreak), {});
    editor->appendLoaded(std::move(chunks));
    editor->finishLoading();
}

FileLoader::FileLoader(std::unique_ptr<TextFileReader> reader, TREdit* editor)
    : QObject(editor), m_reader(std::move(reader)), m_editor(editor), m_size(m_reader->size()),
      m_bytesRead(m_reader->bytesRead()), m_format(m_reader->format())
{
}

FileLoader::~FileLoader()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

// The worker: reads, and hands over what it read; the user interface takes
// it when it comes to it (one call waiting at a time).
void FileLoader::work()
{
    TextFileReader& reader = *m_reader;
    while (!m_stop && !reader.atEnd() && reader.error().isEmpty()) {
        std::vector<TextChunk> chunks = reader.read(Step);
        const bool done = reader.atEnd() || !reader.error().isEmpty();
        if (done) {
            std::vector<TextChunk> rest = reader.read(0);
            std::move(rest.begin(), rest.end(), std::back_inserter(chunks));
        }
        const bool restarted = reader.takeRestart();
        bool post = false;
        {
            const std::lock_guard lock(m_mutex);
            if (restarted) {
                m_ready.clear();
                m_restart = true;
            }
            std::move(chunks.begin(), chunks.end(), std::back_inserter(m_ready));
            m_bytesRead = reader.bytesRead();
            m_done = done;
            m_error = reader.error();
            m_format = reader.format();
            post = !std::exchange(m_posted, true);
        }
        if (post)
            // By name: the call object Qt makes for a member pointer is
            // made here and freed on the user's thread, behind locks of
            // Qt's that ThreadSanitizer cannot see.
            QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
    }
}

void FileLoader::deliver()
{
    if (m_delivered)
        return; // a call posted before finishNow took everything
    std::vector<TextChunk> chunks;
    bool restart;
    bool done;
    qint64 bytesRead;
    QString error;
    TextFileFormat format;
    {
        const std::lock_guard lock(m_mutex);
        chunks = std::exchange(m_ready, {});
        restart = std::exchange(m_restart, false);
        m_posted = false;
        done = m_done;
        bytesRead = m_bytesRead;
        error = m_error;
        format = m_format;
    }
    if (restart)
        m_editor->restartLoading(); // the file did not fit the encoding its mark named
    if (!chunks.empty())
        m_editor->appendLoaded(std::move(chunks));
    m_editor->setBreakStyle(breakOf(format.lineBreak));
    if (!done) {
        m_editor->setLoadProgress(m_size > 0 ? qreal(bytesRead) / qreal(m_size) : 0);
        Q_EMIT progressed();
        return;
    }
    if (m_worker.joinable())
        m_worker.join();
    m_delivered = true;
    m_editor->finishLoading();
    if (error.isEmpty())
        Q_EMIT finished(format, m_reader->stamp());
    else
        Q_EMIT failed(error);
    deleteLater();
}

void FileLoader::finishNow()
{
    if (m_worker.joinable())
        m_worker.join();
    deliver();
}
