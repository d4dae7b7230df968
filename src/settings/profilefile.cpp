#include "settings/profilefile.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmedBytes(QByteArrayView v)
{
    qsizetype begin = 0;
    qsizetype end = v.size();
    while (begin < end && isBlank(v[begin]))
        ++begin;
    while (end > begin && (isBlank(v[end - 1]) || v[end - 1] == '\r'))
        --end;
    return v.sliced(begin, end - begin);
}

bool containsByte(QByteArrayView v, char c) { return std::memchr(v.data(), c, size_t(v.size())) != nullptr; }

qsizetype indexOfByte(QByteArrayView v, char c, qsizetype from)
{
    if (from >= v.size())
        return -1;
    const void* found = std::memchr(v.data() + from, c, size_t(v.size() - from));
    return found ? static_cast<const char*>(found) - v.data() : -1;
}

// Values are written as UTF-8; a file edited in a single-byte code page
// still reads, one character per byte. A U+FEFF that begins a name or a
// value is part of it (the file's own mark is taken off its first line).
QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString fold(const QString& name) { return name.trimmed().toCaseFolded(); }

// The view of a line that its parsing looks at: no "\r" at the end, no
// byte-order mark on the first line.
QByteArrayView lineText(const QByteArray& raw, bool first)
{
    QByteArrayView v(raw);
    if (first && v.startsWith("\xEF\xBB\xBF"))
        v = v.sliced(3);
    if (v.endsWith('\r'))
        v.chop(1);
    return v;
}

bool isBlankLine(const QByteArray& raw) { return trimmedBytes(raw).isEmpty(); }

QString tooLarge()
{
    return QStringLiteral("larger than %1 MiB").arg(ProfileFile::MaxFileSize / (1024 * 1024));
}

// Writable by us, and not made read-only by having no write bit at all
// (which the superuser's access test would pass over).
bool mayWrite(const QByteArray& nativePath)
{
    struct stat st;
    return ::stat(nativePath.constData(), &st) == 0 && (st.st_mode & 0222) != 0
        && ::access(nativePath.constData(), W_OK) == 0;
}

// Writes a temporary file beside the file, then gives it the file's name.
bool replaceWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

// Overwrites a file where it stands, for a folder that takes no temporary
// file. The room for the new text is reserved first, so a full disk fails
// before the old text is touched.
bool overwriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const int fd = file.handle();
    if (bytes.size() > file.size() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0
        && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG))
        return false;
    return file.write(bytes) == bytes.size() && file.resize(bytes.size()) && file.flush() && ::fsync(fd) == 0;
}

}

QString ProfileFile::defaultPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (program.isEmpty())
        program = QStringLiteral("scrivo");
    return QDir::cleanPath(config) + u'/' + program + QStringLiteral(".INI");
}

ProfileFile::ProfileFile(QString path) : m_path(std::move(path))
{
    read();
}

void ProfileFile::read()
{
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        // A folder on the way that cannot be searched hides an existing file.
        if (error == ENOENT || error == ENOTDIR) {
            m_source = Source::Missing;
        } else {
            m_source = Source::Unreadable;
            m_readFailure = QString::fromLocal8Bit(std::strerror(error));
        }
        parse({});
        return;
    }
    // Only a regular file is read: a folder, a device or a pipe in its place
    // is not a settings file (and a pipe would block the program).
    m_source = Source::Unreadable;
    if (S_ISDIR(st.st_mode)) {
        m_readFailure = QStringLiteral("it is a folder");
    } else if (!S_ISREG(st.st_mode)) {
        m_readFailure = QStringLiteral("it is not a regular file");
    } else if (st.st_size > MaxFileSize) {
        m_readFailure = tooLarge();
    } else {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.read(MaxFileSize + 1);
            if (file.error() == QFileDevice::NoError && bytes.size() <= MaxFileSize) {
                m_source = Source::Read;
                parse(bytes);
                return;
            }
        }
        m_readFailure = file.error() == QFileDevice::NoError
            ? tooLarge() : file.errorString();
    }
    parse({});
}

std::optional<QString> ProfileFile::readFailure() const
{
    if (m_source != Source::Unreadable)
        return std::nullopt;
    return m_readFailure;
}

ProfileFile ProfileFile::fromBytes(const QByteArray& bytes)
{
    ProfileFile profile;
    profile.m_source = Source::Memory;
    profile.parse(bytes);
    return profile;
}

void ProfileFile::parse(const QByteArray& bytes)
{
    m_sections.clear();
    m_sectionIndex.clear();
    m_sections.emplace_back(); // the lines before the first section
    m_modified = false;
    m_finalBreak = bytes.isEmpty() || bytes.endsWith('\n');
    const qsizetype firstBreak = bytes.indexOf('\n');
    m_crlf = firstBreak > 0 && bytes.at(firstBreak - 1) == '\r';

    qsizetype start = 0;
    bool first = true;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        addLine(bytes.sliced(start, end - start), first);
        first = false;
        start = end + 1;
    }
}

void ProfileFile::addLine(QByteArray raw, bool first)
{
    const QByteArrayView text = lineText(raw, first);
    Line line;
    // Binary bytes make a line that is kept but never read.
    if (!containsByte(text, '\0')) {
        qsizetype i = 0;
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i < text.size() && text[i] == '[') {
            const qsizetype close = indexOfByte(text, ']', i + 1);
            if (close >= 0) {
                const QString name = fold(decodeText(trimmedBytes(text.sliced(i + 1, close - i - 1))));
                Section section;
                section.lines.push_back(Line{std::move(raw), {}, -1});
                // The first of several sections of one name is the one read and written.
                if (!m_sectionIndex.contains(name))
                    m_sectionIndex.insert(name, qsizetype(m_sections.size()));
                m_sections.push_back(std::move(section));
                return;
            }
        } else if (i < text.size() && text[i] != ';') {
            const qsizetype eq = indexOfByte(text, '=', i);
            if (eq > i) {
                const QString key = fold(decodeText(text.sliced(i, eq - i)));
                if (!key.isEmpty()) {
                    line.key = key;
                    line.valueStart = (text.data() - raw.constData()) + eq + 1;
                }
            }
        }
    }
    line.raw = std::move(raw);
    Section& section = m_sections.back();
    if (!line.key.isEmpty() && !section.keys.contains(line.key))
        section.keys.insert(line.key, qsizetype(section.lines.size()));
    section.lines.push_back(std::move(line));
}

const ProfileFile::Line* ProfileFile::findLine(const QString& section, const QString& key) const
{
    const auto s = m_sectionIndex.constFind(fold(section));
    if (s == m_sectionIndex.constEnd())
        return nullptr;
    const Section& found = m_sections[size_t(*s)];
    const auto k = found.keys.constFind(fold(key));
    if (k == found.keys.constEnd())
        return nullptr;
    return &found.lines[size_t(*k)];
}

std::optional<QString> ProfileFile::value(const QString& section, const QString& key) const
{
    const Line* line = findLine(section, key);
    if (!line)
        return std::nullopt;
    QByteArrayView bytes = QByteArrayView(line->raw).sliced(line->valueStart);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    QString text = decodeText(bytes).trimmed();
    if (text.size() >= 2 && text.front() == text.back() && (text.front() == u'"' || text.front() == u'\''))
        text = text.sliced(1, text.size() - 2);
    if (text.size() > ReadBufferSize - 1) {
        qsizetype keep = ReadBufferSize - 1;
        // Never keep half of a surrogate pair.
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

int ProfileFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return defaultValue;
    bool ok = false;
    const int number = text->toInt(&ok, 10);
    return ok ? number : defaultValue;
}

namespace {

bool hasBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(u'\0'));
}

void checkNames(const QString& sectionName, const QString& keyName)
{
    if (sectionName.isEmpty() || hasBreak(sectionName) || sectionName.contains(u']'))
        throw std::invalid_argument("unusable profile section name");
    if (keyName.isEmpty() || hasBreak(keyName) || keyName.contains(u'=') || keyName.startsWith(u'[')
        || keyName.startsWith(u';'))
        throw std::invalid_argument("unusable profile key name");
}

// A value is one line: a line break in it would start a line of its own,
// which the next read would take for a key or a section.
QByteArray encodedValue(const QString& value)
{
    QString text = value;
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == QChar(u'\0'))
            c = u' ';
    if (text.size() >= 2 && text.front() == text.back() && (text.front() == u'"' || text.front() == u'\''))
        text = u'"' + text + u'"';
    return text.toUtf8();
}

} // namespace

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    checkNames(sectionName, keyName);
    const QByteArray encoded = encodedValue(value);

    const qsizetype sectionAt = sectionForWriting(sectionName);
    Section& target = m_sections[size_t(sectionAt)];
    const QString lineKey = fold(keyName);
    if (const auto k = target.keys.constFind(lineKey); k != target.keys.constEnd()) {
        replaceValue(target.lines[size_t(*k)], encoded);
        return;
    }
    insertKey(target, keyName, encoded);
    if (sectionAt + 1 == qsizetype(m_sections.size()))
        m_finalBreak = true;
    m_modified = true;
}

qsizetype ProfileFile::sectionForWriting(const QString& sectionName)
{
    const QString sectionKey = fold(sectionName);
    if (const auto found = m_sectionIndex.constFind(sectionKey); found != m_sectionIndex.constEnd())
        return *found;
    Section& last = m_sections.back();
    if (!last.lines.empty() && !isBlankLine(last.lines.back().raw))
        last.lines.push_back(Line{lineBreak(), {}, -1});
    Section added;
    added.lines.push_back(Line{'[' + sectionName.toUtf8() + ']' + lineBreak(), {}, -1});
    const qsizetype at = qsizetype(m_sections.size());
    m_sectionIndex.insert(sectionKey, at);
    m_sections.push_back(std::move(added));
    m_finalBreak = true;
    m_modified = true;
    return at;
}

void ProfileFile::replaceValue(Line& line, const QByteArray& encoded)
{
    // The key and the blanks around "=" stay as the file has them.
    qsizetype keep = line.valueStart;
    while (keep < line.raw.size() && isBlank(line.raw.at(keep)))
        ++keep;
    QByteArray raw = line.raw.left(keep) + encoded;
    if (line.raw.endsWith('\r'))
        raw += '\r';
    if (raw != line.raw) {
        line.raw = std::move(raw);
        m_modified = true;
    }
}

void ProfileFile::insertKey(Section& target, const QString& keyName, const QByteArray& encoded)
{
    // A new key goes after the section's last line that is not blank, so the
    // blank lines that part it from the next section stay where they are.
    qsizetype at = qsizetype(target.lines.size());
    while (at > 0 && isBlankLine(target.lines[size_t(at - 1)].raw))
        --at;
    const QByteArray keyBytes = keyName.toUtf8();
    const QString lineKey = fold(keyName);
    Line line{keyBytes + '=' + encoded + lineBreak(), lineKey, keyBytes.size() + 1};
    target.lines.insert(target.lines.begin() + at, std::move(line));
    for (auto it = target.keys.begin(); it != target.keys.end(); ++it)
        if (*it >= at)
            ++*it;
    target.keys.insert(lineKey, at);
}

QByteArray ProfileFile::toBytes() const
{
    QByteArray out;
    qsizetype total = 0;
    for (const Section& section : m_sections)
        for (const Line& line : section.lines)
            total += line.raw.size() + 1;
    out.reserve(total);
    bool any = false;
    for (const Section& section : m_sections)
        for (const Line& line : section.lines) {
            if (any)
                out += '\n';
            out += line.raw;
            any = true;
        }
    if (any && m_finalBreak)
        out += '\n';
    return out;
}

void ProfileFile::save()
{
    if (!m_modified)
        return;
    if (m_source == Source::Memory)
        throw std::logic_error("a profile read from memory has no file to save to");
    // A file that exists but could not be read would lose its content.
    if (m_source == Source::Unreadable)
        throw ScrivoError(readFailureMessage(m_path, m_readFailure));
    const QString failure = QStringLiteral("Unable to write to %1").arg(m_path);
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        throw ScrivoError(failure);
    // A symbolic link keeps pointing at the file it names, which is written.
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (info.exists() && !mayWrite(QFile::encodeName(target)))
        throw ScrivoError(failure);
    // A folder that takes no new file cannot take the temporary one: an
    // existing file is written in place, a new one is refused.
    const bool folderWritable = mayWrite(QFile::encodeName(QFileInfo(target).absolutePath()));
    if (!info.exists() && !folderWritable)
        throw ScrivoError(failure);
    const bool inPlace = !folderWritable;
    const QByteArray bytes = toBytes();
    if (!(inPlace ? overwriteInPlace(target, bytes) : replaceWhole(target, bytes)))
        throw ScrivoError(failure);
    m_source = Source::Read;
    m_modified = false;
}

QString ProfileFile::readFailureMessage(const QString& path, const QString& cause)
{
    return QStringLiteral("Unable to read %1 (%2): the settings are not kept until it can be read").arg(path, cause);
}
