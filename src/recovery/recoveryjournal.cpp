#include "recovery/recoveryjournal.h"

#include "recovery/journalfolder.h"
#include "recovery/journalwriter.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <tuple>

namespace {

// Below this the edits are not worth a rewrite, whatever the text's size.
constexpr qint64 CompactionFloor = 64 * 1024;

// A journal's whole content; put together on the writer's thread, so a copy
// of a long text costs the user's thread no more than taking the text.
QByteArray wholeJournal(const JournalHeader& header, const std::optional<QString>& text, QByteArrayView appended)
{
    QByteArray bytes = JournalFormat::opening() + JournalFormat::headerRecord(header);
    if (text)
        bytes += JournalFormat::snapshotRecord(*text);
    bytes.append(appended);
    return bytes;
}

} // namespace

RecoveryJournal::RecoveryJournal(const QString& root, QObject* parent) : QObject(parent)
{
    m_session = OwnSession::open(root, m_problem);
    if (!m_session)
        return;
    m_writer = std::make_unique<JournalWriter>();
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &RecoveryJournal::writePending);
}

RecoveryJournal::~RecoveryJournal()
{
    if (!m_session)
        return;
    writePending();
    m_writer.reset(); // finishes the writes, then its thread ends
}

QString RecoveryJournal::sessionPath() const { return m_session ? m_session->path() : QString(); }

QString RecoveryJournal::journalPath(DocumentId id) const
{
    return m_session->path() + QStringLiteral("/doc-%1.journal").arg(id);
}

void RecoveryJournal::track(DocumentId id, JournalSource source)
{
    if (m_session)
        m_documents[id].source = std::move(source);
}

void RecoveryJournal::edited(DocumentId id, qint64 position, qint64 removed, QStringView inserted, qint64 lengthAfter)
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end())
        return;
    Document& d = it->second;
    const qint64 lengthBefore = lengthAfter - inserted.size() + removed;
    const bool starting = !d.file;
    if (starting)
        start(id, d, lengthBefore); // a copy of the text holds this change already
    else if (lengthBefore != d.length)
        d.resync = true; // a change the journal did not see: start again from a copy
    if (!starting || d.reliesOnFile) {
        const qsizetype before = d.appended.size();
        JournalFormat::appendEditRecord(d.appended, position, removed, inserted, lengthAfter);
        d.logged += d.appended.size() - before;
    }
    d.length = lengthAfter;
    schedule(m_flushDelay);
}

// The journal's first content: a copy of the text (the change included),
// or, for a long text read from a file, the change alone.
void RecoveryJournal::start(DocumentId id, Document& d, qint64 lengthBefore, bool withCopy)
{
    d.header = d.source.header();
    d.header.sessionStarted = m_session->started();
    d.header.order = qint64(id);
    d.file = std::make_shared<JournalFile>(journalPath(id));
    d.reliesOnFile = !withCopy && d.header.base && lengthBefore > SnapshotLimit;
    d.resync = false;
    d.reported = false;
    d.appended.clear();
    d.logged = 0;
    d.rewrite = true;
    d.copy.reset();
    if (!d.reliesOnFile)
        d.copy = d.source.text();
}

void RecoveryJournal::changedWithoutEdit(DocumentId id)
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end() || it->second.file)
        return;
    Document& d = it->second;
    start(id, d, 0, true);
    d.length = d.copy->size();
    schedule(m_flushDelay);
}

void RecoveryJournal::takeSnapshot(Document& d)
{
    d.reliesOnFile = false;
    d.rewrite = true;
    d.copy = d.source.text();
    d.appended.clear();
    d.logged = 0;
    d.resync = false;
}

void RecoveryJournal::schedule(int delay)
{
    if (!m_timer->isActive() || m_timer->remainingTime() > delay)
        m_timer->start(delay);
}

void RecoveryJournal::writePending()
{
    for (auto& [id, d] : m_documents)
        if (d.file)
            write(id, d);
}

void RecoveryJournal::write(DocumentId id, Document& d)
{
    if (d.resync || d.logged > std::max(2 * d.length, CompactionFloor))
        takeSnapshot(d);
    if (!d.rewrite && d.appended.isEmpty())
        return;
    const bool whole = std::exchange(d.rewrite, false);
    std::optional<QString> copy = std::exchange(d.copy, std::nullopt);
    QByteArray appended = std::exchange(d.appended, QByteArray());
    // The file's stamp is looked at after each write: when it changed, the
    // edits may no longer fit it, and a copy of the text is taken.
    const QString watched = d.reliesOnFile ? d.header.path : QString();
    const std::optional<FileIdentity> base = d.reliesOnFile ? d.header.base : std::nullopt;
    m_writer->post([this, id, file = d.file, header = d.header, copy = std::move(copy),
                    appended = std::move(appended), whole, watched, base] {
        const bool ok = whole ? file->replace(wholeJournal(header, copy, appended)) : file->append(appended);
        const QString problem = ok ? QString() : file->problem();
        const bool fileChanged = ok && base && !base->sameSizeAndTime(FileIdentity::of(watched));
        report({id, ok && !fileChanged, problem});
    });
}

void RecoveryJournal::report(Outcome outcome)
{
    bool first = false;
    {
        const std::lock_guard lock(m_outcomesLock);
        first = m_outcomes.empty();
        m_outcomes.push_back(std::move(outcome));
    }
    if (first)
        QMetaObject::invokeMethod(this, "takeOutcomes", Qt::QueuedConnection);
}

void RecoveryJournal::takeOutcomes()
{
    std::vector<Outcome> outcomes;
    {
        const std::lock_guard lock(m_outcomesLock);
        outcomes.swap(m_outcomes);
    }
    for (const Outcome& o : outcomes)
        written(o.id, o.ok, o.problem);
}

// Back on the user's thread after a write; a failed one (or a file that
// changed under the edits) is written again as a copy of the text.
void RecoveryJournal::written(DocumentId id, bool ok, const QString& problem)
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end() || !it->second.file)
        return;
    Document& d = it->second;
    if (ok) {
        d.reported = false;
        return;
    }
    d.resync = true;
    if (problem.isEmpty()) {
        schedule(0);
        return;
    }
    schedule(RetryDelay);
    if (!std::exchange(d.reported, true))
        Q_EMIT failed(problem);
}

void RecoveryJournal::discard(DocumentId id)
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end() || !it->second.file)
        return;
    Document& d = it->second;
    m_writer->post([file = std::move(d.file)] { file->remove(); });
    d.file.reset();
    d.rewrite = false;
    d.copy.reset();
    d.appended.clear();
}

void RecoveryJournal::untrack(DocumentId id)
{
    discard(id);
    m_documents.erase(id);
}

void RecoveryJournal::flush()
{
    if (!m_session)
        return;
    writePending();
    m_writer->wait();
}

void RecoveryJournal::endCleanly()
{
    if (!m_session)
        return;
    for (auto& [id, d] : m_documents)
        discard(id);
    m_writer->wait();
    m_session->remove();
}

QList<OrphanJournal> RecoveryJournal::claimEnded(QStringList& problems)
{
    QList<OrphanJournal> orphans;
    if (!m_session)
        return orphans;
    m_ended = EndedSession::claimAll(m_session->root(), m_session->path());
    for (const auto& session : m_ended) {
        for (const QString& path : session->journalFiles()) {
            QFile file(path);
            std::optional<JournalContent> content;
            if (file.open(QIODevice::ReadOnly))
                content = readJournal(file.readAll());
            if (content) {
                orphans.append({path, std::move(*content)});
                continue;
            }
            const QString aside = setJournalAside(m_session->root(), path);
            problems << (aside.isEmpty() ? QStringLiteral("The recovery journal %1 cannot be read").arg(path)
                                         : QStringLiteral("The recovery journal %1 cannot be read; it is kept as %2")
                                               .arg(path, aside));
        }
    }
    std::stable_sort(orphans.begin(), orphans.end(), [](const OrphanJournal& a, const OrphanJournal& b) {
        return std::tie(a.content.header.sessionStarted, a.content.header.order)
            < std::tie(b.content.header.sessionStarted, b.content.header.order);
    });
    return orphans;
}

QString RecoveryJournal::setAside(const OrphanJournal& orphan)
{
    return m_session ? setJournalAside(m_session->root(), orphan.file) : QString();
}

void RecoveryJournal::adopt(const OrphanJournal& orphan, DocumentId id, qint64 length)
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end())
        return;
    Document& d = it->second;
    d.header = orphan.content.header;
    d.file = std::make_shared<JournalFile>(journalPath(id));
    d.reliesOnFile = !orphan.content.snapshot && d.header.base;
    d.length = length;
    d.logged = orphan.content.intactSize - orphan.content.headerEnd;
    d.rewrite = false;
    d.copy.reset();
    d.appended.clear();
    m_writer->post([this, id, file = d.file, from = orphan.file, size = orphan.content.intactSize] {
        const bool ok = file->adopt(from, size);
        const QString problem = file->problem();
        report({id, ok, problem});
    });
}

void RecoveryJournal::releaseEnded()
{
    if (m_writer)
        m_writer->wait(); // the journals taken over have moved
    for (const auto& session : m_ended)
        session->removeIfEmpty();
    m_ended.clear();
}
