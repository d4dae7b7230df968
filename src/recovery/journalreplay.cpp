#include "recovery/journalreplay.h"

#include "platform/nativenames.h"
#include "recovery/replaytext.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The file's bytes when they are exactly those the journal's edits apply
// to; problem says why not.
std::optional<QByteArray> baseBytes(const JournalHeader& header, ReplayProblem& problem)
{
    // The document's path carries its file's bytes as NativeNames does.
    const int fd = ::open(NativeNames::toNative(header.path).constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        problem = ReplayProblem::FileUnreadable;
        return std::nullopt;
    }
    // One byte more than expected tells a file that grew.
    QByteArray bytes = file.read(header.base->size + 1);
    if (file.error() != QFileDevice::NoError) {
        problem = ReplayProblem::FileUnreadable;
        return std::nullopt;
    }
    if (!header.base->holds(bytes)) {
        problem = ReplayProblem::FileChanged;
        return std::nullopt;
    }
    return bytes;
}

} // namespace

bool replayEdits(QString& text, const QList<JournalEdit>& edits)
{
    if (edits.isEmpty())
        return true;
    ReplayText replay(std::move(text));
    bool fits = true;
    for (const JournalEdit& e : edits) {
        if (!replay.replace(e.position, e.removed, e.inserted) || replay.length() != e.lengthAfter) {
            fits = false;
            break;
        }
    }
    text = replay.toString();
    return fits;
}

ReplayResult replayJournal(const JournalContent& content, const JournalTextDecoder& decode)
{
    ReplayResult result;
    if (content.snapshot) {
        result.text = *content.snapshot;
    } else if (content.header.base) {
        auto bytes = baseBytes(content.header, result.problem);
        if (!bytes)
            return result;
        auto decoded = decode(*bytes, content.header.encoding);
        if (!decoded) {
            result.problem = ReplayProblem::FileChanged; // no longer reads as it did
            return result;
        }
        bytes.reset();
        result.text = std::move(*decoded);
    }
    if (!replayEdits(result.text, content.edits)) {
        result.text.clear();
        result.problem = ReplayProblem::Inconsistent;
    }
    return result;
}
