#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// A settings file in the classic profile (INI) format, with the rules of the
// Win32 profile functions the settings were first kept with:
// - "[section]" lines and "key=value" lines; section and key names are
//   compared without regard to case; the first of several equal names wins;
// - a value read is trimmed, loses one pair of enclosing quotes (both double
//   or both single) and is cut to 2047 characters;
// - a value written whose first and last characters are the same quote gets
//   one more pair of double quotes, so it reads back as written;
// - writing a key replaces its line where it stands, or adds it at the end
//   of its section, or adds the section at the end of the file; nothing is
//   ever removed, and every other line (comments, blank and damaged lines)
//   is kept byte for byte.
//
// The file is read once when the object is made; writes collect in memory
// and save() writes the whole file at once through a temporary file and a
// rename, so a failed write never leaves a damaged file behind (in a folder
// that takes no new file, the file is overwritten where it stands, once the
// room is reserved). A missing, unreadable, binary or malformed file reads
// as empty and never fails; readFailure() tells why an existing file could
// not be read.
class ProfileFile {
public:
    // Values read are cut to fit a buffer of this many characters, the last
    // holding the terminator.
    static constexpr qsizetype ReadBufferSize = 2048;
    // Larger files are not settings files: they read as empty and are never
    // overwritten.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // The program's settings file: $XDG_CONFIG_HOME (default ~/.config), "/",
    // and the executable's name with its extension replaced by ".INI".
    static QString defaultPath();

    // Reads the file at path.
    explicit ProfileFile(QString path);
    // A profile read from bytes, held in memory only (save() refuses it).
    static ProfileFile fromBytes(const QByteArray& bytes);

    QString path() const { return m_path; }

    // Why the file exists but could not be read ("Permission denied",
    // "larger than 16 MiB", ...), or nothing when it was read or is missing.
    std::optional<QString> readFailure() const;

    // The value of key in section, as the profile functions read it, or
    // nothing when the section or the key does not exist.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // The integer value of a key, or defaultValue when the key is missing or
    // its value is not a decimal integer.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Sets key in section. Line breaks and NUL characters in the value
    // become blanks (a value is one line). Section and key names must be
    // usable as such: not empty, no line break, no "]" in a section name, no
    // "=" in a key, a key not starting with "[" or ";"; others are refused
    // with std::invalid_argument.
    void writeString(const QString& section, const QString& key, const QString& value);

    // True when a write changed the text since it was read or saved.
    bool isModified() const { return m_modified; }

    // The file's text as it would be written.
    QByteArray toBytes() const;

    // Writes the file when a write changed it. Throws ScrivoError "Unable to
    // write to <path>" when it cannot be written. A file that existed but
    // could not be read is never written (that would lose what it holds):
    // the error then tells the read failure.
    void save();

    // The text that tells a read failure: the file and the cause.
    static QString readFailureMessage(const QString& path, const QString& cause);

private:
    struct Line {
        QByteArray raw;            // the line as in the file, without its "\n"
        QString key;               // case-folded key, empty when not a key line
        qsizetype valueStart = -1; // offset of the value in raw
    };
    struct Section {
        // lines[0] is the header, but in m_sections[0], which holds the lines
        // before the first section.
        std::vector<Line> lines;
        QHash<QString, qsizetype> keys; // case-folded key -> first line holding it
    };
    enum class Source { Missing, Read, Unreadable, Memory };

    ProfileFile() = default;
    void read();
    void parse(const QByteArray& bytes);
    void addLine(QByteArray raw, bool first);
    const Line* findLine(const QString& section, const QString& key) const;
    // The index of the section to write into, added at the end when missing.
    qsizetype sectionForWriting(const QString& sectionName);
    void replaceValue(Line& line, const QByteArray& encoded);
    void insertKey(Section& target, const QString& keyName, const QByteArray& encoded);
    QByteArray lineBreak() const { return m_crlf ? QByteArrayLiteral("\r") : QByteArray(); }

    QString m_path;
    Source m_source = Source::Memory;
    QString m_readFailure;       // the cause, when m_source is Unreadable
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // case-folded name -> first section
    bool m_crlf = false;         // the file breaks its lines with CR LF
    bool m_finalBreak = true;    // the file's last line ends with a line break
    bool m_modified = false;
};
