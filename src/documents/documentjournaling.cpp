#include "documents/documentjournaling.h"

#include "codec/textcodec.h"
#include "documents/documenttable.h"
#include "editor/tredit.h"
#include "recovery/journalreplay.h"

#include <QScopeGuard>

namespace {

// A document's format as its journal names it: the encoding's own name,
// "BOM" when the file starts with its mark, and the line break, as in
// "UTF-8 BOM CRLF".
QString formatName(const TextFileFormat& format)
{
    QString name = encodingName(format.encoding);
    if (format.byteOrderMark)
        name += QStringLiteral(" BOM");
    switch (format.lineBreak) {
    case LineBreak::CRLF: return name + QStringLiteral(" CRLF");
    case LineBreak::LF: return name + QStringLiteral(" LF");
    case LineBreak::CR: return name + QStringLiteral(" CR");
    }
    return name;
}

constexpr TextEncoding Encodings[] = {TextEncoding::Utf8,    TextEncoding::Windows1252, TextEncoding::Utf16LE,
                                      TextEncoding::Utf16BE, TextEncoding::Utf32LE,     TextEncoding::Utf32BE};

std::optional<TextFileFormat> formatFromName(const QString& name)
{
    for (const TextEncoding encoding : Encodings)
        for (const LineBreak lineBreak : {LineBreak::CRLF, LineBreak::LF, LineBreak::CR})
            for (const bool mark : {false, true}) {
                const TextFileFormat format{encoding, lineBreak, mark};
                if (formatName(format) == name)
                    return format;
            }
    return std::nullopt;
}

// The file's text when its bytes still read as the journal's encoding.
std::optional<QString> decodeAs(QByteArrayView bytes, const QString& encoding)
{
    DecodedText decoded = decodeTextFile(bytes);
    if (formatName(decoded.format) != encoding)
        return std::nullopt;
    return std::move(decoded.text);
}

QString replayProblemText(const OrphanJournal& orphan, ReplayProblem problem, const QString& keptAs)
{
    const QString path = orphan.content.header.path;
    switch (problem) {
    case ReplayProblem::FileChanged:
        return QStringLiteral("The unsaved changes to %1 cannot be recovered: the file has changed since; they are "
                              "kept in %2")
            .arg(path, keptAs);
    case ReplayProblem::FileUnreadable:
        return QStringLiteral("The unsaved changes to %1 cannot be recovered: the file cannot be read; they are kept "
                              "in %2")
            .arg(path, keptAs);
    case ReplayProblem::Inconsistent:
    case ReplayProblem::None: break;
    }
    return QStringLiteral("The recovery journal %1 cannot be read; it is kept as %2").arg(orphan.file, keptAs);
}

} // namespace

DocumentJournaling::DocumentJournaling(DocumentTable& table, const QString& root, QObject* parent)
    : QObject(parent), m_table(table), m_journal(root)
{
    connect(&m_journal, &RecoveryJournal::failed, this, &DocumentJournaling::failed);
    connect(&table, &DocumentTable::documentCreated, this, &DocumentJournaling::documentCreated);
    connect(&table, &DocumentTable::documentClosing, this, &DocumentJournaling::documentClosing);
    connect(&table, &DocumentTable::modifiedChanged, this, &DocumentJournaling::modifiedChanged);
}

DocumentJournaling::~DocumentJournaling() = default;

QString DocumentJournaling::problem() const
{
    return QStringLiteral("Unsaved changes cannot be kept for recovery: %1").arg(m_journal.problem());
}

JournalSource DocumentJournaling::sourceOf(int slot) const
{
    return {[this, slot] {
                const DocumentSlot& s = m_table.slot(slot);
                JournalHeader header;
                header.path = s.Path;
                if (s.Disk.exists)
                    header.base = s.Disk;
                header.encoding = formatName(s.Format);
                return header;
            },
            [this, slot] { return m_table.slot(slot).Editor->text(); }};
}

void DocumentJournaling::documentCreated(int slot)
{
    const RecoveryJournal::DocumentId id = m_nextId++;
    m_ids[std::size_t(slot)] = id;
    m_journal.track(id, sourceOf(slot));
    TREdit* editor = m_table.slot(slot).Editor;
    connect(editor, &TREdit::contentsEdited, this, [this, id, editor](int position, int removed, const QString& inserted) {
        if (!m_stopped)
            m_journal.edited(id, position, removed, inserted, editor->textLength());
    });
}

void DocumentJournaling::documentClosing(int slot)
{
    if (!m_stopped)
        m_journal.untrack(m_ids[std::size_t(slot)]);
}

void DocumentJournaling::modifiedChanged(int slot, bool modified)
{
    if (m_stopped)
        return;
    const RecoveryJournal::DocumentId id = m_ids[std::size_t(slot)];
    if (modified)
        m_journal.changedWithoutEdit(id); // its file went away, say: only the text is left
    else
        m_journal.discard(id);
}

QStringList DocumentJournaling::recoverEnded()
{
    QStringList problems;
    const int current = m_table.CurrentSlot();
    for (const OrphanJournal& orphan : m_journal.claimEnded(problems))
        if (!reopen(orphan, problems))
            break; // the others wait for a later start
    m_journal.releaseEnded();
    if (m_table.slot(current).InUse)
        m_table.activate(current);
    return problems;
}

bool DocumentJournaling::reopen(const OrphanJournal& orphan, QStringList& problems)
{
    const ReplayResult replayed = replayJournal(orphan.content, decodeAs);
    if (replayed.problem != ReplayProblem::None) {
        const QString keptAs = m_journal.setAside(orphan);
        problems << replayProblemText(orphan, replayed.problem, keptAs.isEmpty() ? orphan.file : keptAs);
        return true;
    }
    m_table.LoadingDocument = true;
    const auto loaded = qScopeGuard([this] { m_table.LoadingDocument = false; });
    const int slot = m_table.New();
    if (slot < 0)
        return false;
    const JournalHeader& header = orphan.content.header;
    m_table.slot(slot).Editor->loadText(replayed.text);
    if (!header.path.isEmpty())
        m_table.setFileName(slot, header.path);
    m_table.setFormat(slot, formatFromName(header.encoding).value_or(TextFileFormat{}));
    if (header.base)
        m_table.setDiskIdentity(slot, *header.base);
    m_journal.adopt(orphan, m_ids[std::size_t(slot)], replayed.text.size());
    m_table.setModified(slot, true);
    return true;
}

void DocumentJournaling::flush() { m_journal.flush(); }

void DocumentJournaling::keepForRecovery()
{
    if (m_stopped)
        return;
    m_journal.flush();
    m_stopped = true;
}

void DocumentJournaling::endCleanly()
{
    if (m_stopped)
        return;
    m_journal.endCleanly();
    m_stopped = true;
}
