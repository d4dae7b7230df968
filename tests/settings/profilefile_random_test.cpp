#include "settings/profilefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>


namespace {

// Bytes that matter to the reader, and some that should not.
constexpr char alphabet[] = "[]=;'\"  \t\r\n\n\nsSkKtTfp\x00\xFF\xC3\xA9\x80" "ab";

const QStringList sections = {QStringLiteral("s"), QStringLiteral("S"), QStringLiteral("TFp"), QStringLiteral(" s ")};
const QStringList keys = {QStringLiteral("k"), QStringLiteral("K"), QStringLiteral("a b"), QStringLiteral("p")};

// A small, fast generator (xorshift); the same seed gives the same files.
class Generator {
public:
    explicit Generator(quint64 seed) : m_state(seed) {}

    int below(int n)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return int((m_state >> 11) % quint64(n));
    }

    QByteArray file()
    {
        QByteArray bytes;
        const int kind = below(1000);
        if (kind < 2) {
            // A huge line, with or without a section before it.
            if (below(2))
                bytes += "[s]\n";
            bytes += "k=" + QByteArray(5000 + below(30000), char('a' + below(26)));
            if (below(2))
                bytes += '\n';
            return bytes;
        }
        const int length = below(kind < 50 ? 1500 : 160);
        bytes.reserve(length);
        for (int i = 0; i < length; ++i) {
            // Now and then a well-formed line, so that there is something to find.
            if (below(12) == 0) {
                bytes += below(2) ? "\n[" + sections[below(sections.size())].toUtf8() + "]\n"
                                  : "\n" + keys[below(keys.size())].toUtf8() + "=" + QByteArray::number(below(100));
                continue;
            }
            bytes += alphabet[below(int(sizeof alphabet) - 1)];
        }
        return bytes;
    }

    // A value that reads back as written: no blanks at either end.
    QString value()
    {
        static const QString letters = QStringLiteral("ab'\" x=[];\n");
        QString text;
        const int length = below(8);
        for (int i = 0; i < length; ++i)
            text += letters[below(int(letters.size()))];
        text = text.trimmed();
        text.replace(u'\n', u'_');
        return text;
    }

private:
    quint64 m_state;
};

using Probe = std::vector<std::optional<QString>>;

Probe probe(const ProfileFile& profile)
{
    Probe values;
    for (const QString& section : sections)
        for (const QString& key : keys)
            values.push_back(profile.value(section, key));
    return values;
}

}

// Generated files of every shape: the reader never fails, a value written
// reads back, and no other value changes.
TEST(ProfileFileRandom, HundredThousandGeneratedFiles)
{
    Generator generate(20240611u);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/random.INI");
    for (int round = 0; round < 100000; ++round) {
        const QByteArray bytes = generate.file();
        // Every thousandth goes through a real file, the rest stay in memory.
        const bool onDisk = round % 1000 == 0;
        if (onDisk) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        ProfileFile profile = onDisk ? ProfileFile(path) : ProfileFile::fromBytes(bytes);
        const Probe before = probe(profile);
        for (const std::optional<QString>& value : before) {
            if (value) {
                ASSERT_LE(value->size(), ProfileFile::ReadBufferSize - 1);
            }
        }

        const int sectionIndex = generate.below(3); // "s", "S" or "TFp": the first two name one section
        const int keyIndex = generate.below(int(keys.size()));
        const QString value = generate.value();
        profile.writeString(sections[sectionIndex], keys[keyIndex], value);
        if (onDisk)
            profile.save();
        const ProfileFile reread =
            onDisk ? ProfileFile(path) : ProfileFile::fromBytes(profile.toBytes());
        ASSERT_EQ(reread.value(sections[sectionIndex], keys[keyIndex]), value) << "round " << round;

        const Probe after = probe(reread);
        for (qsizetype s = 0; s < sections.size(); ++s)
            for (qsizetype k = 0; k < keys.size(); ++k) {
                const bool written = sections[s].trimmed().compare(sections[sectionIndex], Qt::CaseInsensitive) == 0
                                     && keys[k].compare(keys[keyIndex], Qt::CaseInsensitive) == 0;
                if (!written) {
                    ASSERT_EQ(after[size_t(s * keys.size() + k)], before[size_t(s * keys.size() + k)])
                        << "round " << round;
                }
            }
    }
}
