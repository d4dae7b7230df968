#include "recovery/journalformat.h"

#include "recovery/crc32c.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <cstring>

namespace {

constexpr char Opening[] = "SCRIVO-JOURNAL-1\n";
constexpr qsizetype OpeningSize = sizeof(Opening) - 1;
constexpr qsizetype TypeAndLength = 1 + 8;
constexpr qsizetype CrcSize = 4;
constexpr qsizetype EditFields = 3 * 8;

enum class RecordType : quint8 { Header = 1, Snapshot = 2, Edit = 3 };

void put64(char* at, qint64 value) { qToLittleEndian<qint64>(value, at); }
qint64 get64(const char* at) { return qFromLittleEndian<qint64>(at); }

// Reserves a record of payloadSize bytes at the end of out; returns where
// the payload goes. finishRecord then adds its CRC.
char* startRecord(QByteArray& out, RecordType type, qsizetype payloadSize)
{
    const qsizetype at = out.size();
    out.resize(at + TypeAndLength + payloadSize + CrcSize);
    char* p = out.data() + at;
    p[0] = char(type);
    put64(p + 1, payloadSize);
    return p + TypeAndLength;
}

void finishRecord(QByteArray& out, qsizetype payloadSize)
{
    const qsizetype recordStart = out.size() - CrcSize - payloadSize - TypeAndLength;
    const quint32 crc = crc32c(QByteArrayView(out).sliced(recordStart, TypeAndLength + payloadSize));
    qToLittleEndian<quint32>(crc, out.data() + out.size() - CrcSize);
}

QByteArray record(RecordType type, QByteArrayView payload)
{
    QByteArray out;
    char* p = startRecord(out, type, payload.size());
    if (!payload.isEmpty())
        std::memcpy(p, payload.data(), std::size_t(payload.size()));
    finishRecord(out, payload.size());
    return out;
}

// Texts as UTF-16 little-endian. (An empty one may have no data at all.)
void putUtf16(char* at, QStringView text)
{
    if (!text.isEmpty())
        qToLittleEndian<char16_t>(text.utf16(), text.size(), at);
}

QString utf16(QByteArrayView bytes)
{
    if (bytes.size() < 2)
        return {};
    QString text(bytes.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

QByteArray headerPayload(const JournalHeader& h)
{
    QJsonObject o;
    o[QLatin1String("path")] = h.path;
    o[QLatin1String("encoding")] = h.encoding;
    // Large integers as text: JSON numbers are doubles.
    o[QLatin1String("sessionStarted")] = QString::number(h.sessionStarted);
    o[QLatin1String("order")] = QString::number(h.order);
    if (h.base) {
        o[QLatin1String("size")] = QString::number(h.base->size);
        o[QLatin1String("modified")] = QString::number(h.base->modifiedNs);
        o[QLatin1String("hash")] = QString::number(h.base->hash, 16);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<qint64> number(const QJsonObject& o, const char* key, int base = 10)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toString().toLongLong(&ok, base);
    return ok ? std::optional(n) : std::nullopt;
}

std::optional<JournalHeader> parseHeader(QByteArrayView payload)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    JournalHeader h;
    h.path = o.value(QLatin1String("path")).toString();
    h.encoding = o.value(QLatin1String("encoding")).toString();
    h.sessionStarted = number(o, "sessionStarted").value_or(0);
    h.order = number(o, "order").value_or(0);
    const auto size = number(o, "size"), modified = number(o, "modified"), hash = number(o, "hash", 16);
    if (size && modified && hash)
        h.base = FileIdentity{.exists = true, .size = *size, .modifiedNs = *modified, .hash = quint32(*hash)};
    return h;
}

struct Record {
    RecordType type;
    QByteArrayView payload;
};

// The record at offset, or nothing when it is cut short or damaged.
std::optional<Record> recordAt(QByteArrayView bytes, qsizetype offset, qsizetype& next)
{
    if (bytes.size() - offset < TypeAndLength + CrcSize)
        return std::nullopt;
    const char* p = bytes.data() + offset;
    const qint64 length = get64(p + 1);
    if (length < 0 || length > bytes.size() - offset - TypeAndLength - CrcSize)
        return std::nullopt;
    const quint32 stored = qFromLittleEndian<quint32>(p + TypeAndLength + length);
    if (crc32c(QByteArrayView(p, TypeAndLength + length)) != stored)
        return std::nullopt;
    next = offset + TypeAndLength + length + CrcSize;
    return Record{RecordType(quint8(p[0])), QByteArrayView(p + TypeAndLength, length)};
}

std::optional<JournalEdit> parseEdit(QByteArrayView payload)
{
    if (payload.size() < EditFields || payload.size() % 2 != 0)
        return std::nullopt;
    JournalEdit e;
    e.position = get64(payload.data());
    e.removed = get64(payload.data() + 8);
    e.lengthAfter = get64(payload.data() + 16);
    e.inserted = utf16(payload.sliced(EditFields));
    if (e.position < 0 || e.removed < 0 || e.lengthAfter < 0)
        return std::nullopt;
    return e;
}

// Takes one record after the header into content; false for one that
// makes no sense here.
bool take(JournalContent& content, const Record& r)
{
    switch (r.type) {
    case RecordType::Snapshot:
        if (r.payload.size() % 2 != 0)
            return false;
        content.snapshot = utf16(r.payload);
        content.edits.clear();
        return true;
    case RecordType::Edit:
        if (auto edit = parseEdit(r.payload)) {
            content.edits.append(std::move(*edit));
            return true;
        }
        return false;
    case RecordType::Header: break;
    }
    return false;
}

} // namespace

QByteArray JournalFormat::opening() { return QByteArray(Opening, OpeningSize); }

QByteArray JournalFormat::headerRecord(const JournalHeader& header)
{
    return record(RecordType::Header, headerPayload(header));
}

QByteArray JournalFormat::snapshotRecord(QStringView text)
{
    QByteArray out;
    char* p = startRecord(out, RecordType::Snapshot, text.size() * 2);
    putUtf16(p, text);
    finishRecord(out, text.size() * 2);
    return out;
}

void JournalFormat::appendEditRecord(QByteArray& out, qint64 position, qint64 removed, QStringView inserted,
                                     qint64 lengthAfter)
{
    const qsizetype payloadSize = EditFields + inserted.size() * 2;
    char* p = startRecord(out, RecordType::Edit, payloadSize);
    put64(p, position);
    put64(p + 8, removed);
    put64(p + 16, lengthAfter);
    putUtf16(p + EditFields, inserted);
    finishRecord(out, payloadSize);
}

std::optional<JournalContent> readJournal(QByteArrayView bytes)
{
    if (!bytes.startsWith(QByteArrayView(Opening, OpeningSize)))
        return std::nullopt;
    qsizetype offset = OpeningSize;
    qsizetype next = 0;
    const auto first = recordAt(bytes, offset, next);
    if (!first || first->type != RecordType::Header)
        return std::nullopt;
    auto header = parseHeader(first->payload);
    if (!header)
        return std::nullopt;
    JournalContent content;
    content.header = std::move(*header);
    content.headerEnd = content.intactSize = offset = next;
    while (offset < bytes.size()) {
        const auto r = recordAt(bytes, offset, next);
        if (!r || !take(content, *r))
            break;
        content.intactSize = offset = next;
    }
    content.cutShort = content.intactSize < bytes.size();
    return content;
}
