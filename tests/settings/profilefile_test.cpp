#include "settings/profilefile.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::optional<QString> valueOf(const QByteArray& text, const char* section, const char* key)
{
    return ProfileFile::fromBytes(text).value(QString::fromLatin1(section), QString::fromLatin1(key));
}

}

TEST(ProfileFile, ReadsSectionsAndKeysWithoutRegardToCase)
{
    const QByteArray text = "; a comment=not a key\n"
                            "stray=before any section\n"
                            "[TFp]\n"
                            "  Width =  217  \n"
                            "Width=second of the same key\n"
                            "empty=\n"
                            "just text, no key\n"
                            "=no name\n"
                            "[ Other ]\n"
                            "width=other section\n"
                            "[tfp]\n"
                            "width=second section of the same name\n"
                            "extra=also ignored\n";
    EXPECT_EQ(valueOf(text, "tfp", "WIDTH"), QStringLiteral("217"));
    EXPECT_EQ(valueOf(text, "TFp", "empty"), QString());
    EXPECT_EQ(valueOf(text, "other", "width"), QStringLiteral("other section"));
    EXPECT_EQ(valueOf(text, "TFp", "extra"), std::nullopt);
    EXPECT_EQ(valueOf(text, "TFp", "stray"), std::nullopt);
    EXPECT_EQ(valueOf(text, "TFp", "just text, no key"), std::nullopt);
    EXPECT_EQ(valueOf(text, "Missing", "width"), std::nullopt);
    EXPECT_EQ(valueOf(text, "TFp", "missing"), std::nullopt);
}

TEST(ProfileFile, DropsOnePairOfEnclosingQuotes)
{
    const QByteArray text = "[s]\n"
                            "single='Arial'\n"
                            "double=\"  kept blanks \"\n"
                            "twice=\"'Arial'\"\n"
                            "mixed=\"Arial'\n"
                            "lone=\"\n"
                            "inner=a \"b\" c\n";
    EXPECT_EQ(valueOf(text, "s", "single"), QStringLiteral("Arial"));
    EXPECT_EQ(valueOf(text, "s", "double"), QStringLiteral("  kept blanks "));
    EXPECT_EQ(valueOf(text, "s", "twice"), QStringLiteral("'Arial'"));
    EXPECT_EQ(valueOf(text, "s", "mixed"), QStringLiteral("\"Arial'"));
    EXPECT_EQ(valueOf(text, "s", "lone"), QStringLiteral("\""));
    EXPECT_EQ(valueOf(text, "s", "inner"), QStringLiteral("a \"b\" c"));
}

TEST(ProfileFile, CutsValuesToTheReadBuffer)
{
    const auto lengthRead = [](qsizetype length) {
        return valueOf("[s]\nk=" + QByteArray(length, 'x') + "\n", "s", "k")->size();
    };
    EXPECT_EQ(lengthRead(2046), 2046);
    EXPECT_EQ(lengthRead(2047), 2047);
    EXPECT_EQ(lengthRead(2048), 2047);
    EXPECT_EQ(lengthRead(100000), 2047);
    // A character outside the basic plane is never cut in half.
    const QByteArray emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(valueOf("[s]\nk=" + QByteArray(2045, 'x') + emoji + emoji + "\n", "s", "k")->size(), 2047);
    EXPECT_EQ(valueOf("[s]\nk=" + QByteArray(2046, 'x') + emoji + "\n", "s", "k")->size(), 2046);
}

TEST(ProfileFile, ReadsIntegersWithTheirDefault)
{
    const ProfileFile profile = ProfileFile::fromBytes("[s]\nn= -12 \nbad=12px\nempty=\n");
    EXPECT_EQ(profile.readInteger(QStringLiteral("s"), QStringLiteral("n"), 5), -12);
    EXPECT_EQ(profile.readInteger(QStringLiteral("s"), QStringLiteral("bad"), 5), 5);
    EXPECT_EQ(profile.readInteger(QStringLiteral("s"), QStringLiteral("empty"), 5), 5);
    EXPECT_EQ(profile.readInteger(QStringLiteral("s"), QStringLiteral("none"), 5), 5);
}

TEST(ProfileFile, DecodesUtf8AndSingleByteText)
{
    EXPECT_EQ(valueOf("[s]\nname=Fran\xC3\xA7ois\n", "s", "name"), QStringLiteral(u"François"));
    EXPECT_EQ(valueOf("[s]\nname=Fran\xE7ois\n", "s", "name"), QStringLiteral(u"François"));
    EXPECT_EQ(valueOf("\xEF\xBB\xBF[s]\nk=v\n", "s", "k"), QStringLiteral("v"));
}

TEST(ProfileFile, WritesKeysInPlaceAndKeepsEveryOtherLine)
{
    ProfileFile profile = ProfileFile::fromBytes("; settings\n"
                                                 "[TFp]\n"
                                                 "  Width = 217\n"
                                                 "junk line\n"
                                                 "Visible=0\n"
                                                 "\n"
                                                 "[TOption]\n"
                                                 "a=1\n");
    profile.writeString(QStringLiteral("tfp"), QStringLiteral("WIDTH"), QStringLiteral("300"));
    profile.writeString(QStringLiteral("TFp"), QStringLiteral("Height"), QStringLiteral("40"));
    profile.writeString(QStringLiteral("TFind"), QStringLiteral("Flags"), QStringLiteral("0"));
    profile.writeString(QStringLiteral("TOption"), QStringLiteral("b"), QStringLiteral("2"));
    EXPECT_TRUE(profile.isModified());
    EXPECT_EQ(profile.toBytes(), QByteArray("; settings\n"
                                            "[TFp]\n"
                                            "  Width = 300\n"
                                            "junk line\n"
                                            "Visible=0\n"
                                            "Height=40\n"
                                            "\n"
                                            "[TOption]\n"
                                            "a=1\n"
                                            "b=2\n"
                                            "\n"
                                            "[TFind]\n"
                                            "Flags=0\n"));
}

TEST(ProfileFile, WritingTheSameValueChangesNothing)
{
    ProfileFile profile = ProfileFile::fromBytes("[s]\nk=v\n");
    profile.writeString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_FALSE(profile.isModified());
}

TEST(ProfileFile, KeepsTheFilesLineBreaks)
{
    ProfileFile crlf = ProfileFile::fromBytes("[s]\r\nk=1\r\n");
    crlf.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"));
    crlf.writeString(QStringLiteral("s"), QStringLiteral("n"), QStringLiteral("3"));
    crlf.writeString(QStringLiteral("t"), QStringLiteral("m"), QStringLiteral("4"));
    EXPECT_EQ(crlf.toBytes(), QByteArray("[s]\r\nk=2\r\nn=3\r\n\r\n[t]\r\nm=4\r\n"));
    EXPECT_EQ(ProfileFile::fromBytes("[s]\r\nk=1\r\n").value(QStringLiteral("s"), QStringLiteral("k")),
              QStringLiteral("1"));

    // A blank line of a CRLF file is blank too: a new key goes before it, and
    // a new section after it without one more.
    ProfileFile parted = ProfileFile::fromBytes("[s]\r\nk=1\r\n\r\n[t]\r\nm=4\r\n \r\n");
    parted.writeString(QStringLiteral("s"), QStringLiteral("n"), QStringLiteral("3"));
    parted.writeString(QStringLiteral("u"), QStringLiteral("o"), QStringLiteral("5"));
    EXPECT_EQ(parted.toBytes(), QByteArray("[s]\r\nk=1\r\nn=3\r\n\r\n[t]\r\nm=4\r\n \r\n[u]\r\no=5\r\n"));

    ProfileFile unterminated = ProfileFile::fromBytes("[s]\nk=1");
    unterminated.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"));
    EXPECT_EQ(unterminated.toBytes(), QByteArray("[s]\nk=2"));
    unterminated.writeString(QStringLiteral("s"), QStringLiteral("n"), QStringLiteral("3"));
    EXPECT_EQ(unterminated.toBytes(), QByteArray("[s]\nk=2\nn=3\n"));
}

TEST(ProfileFile, QuotedValuesReadBackAsWritten)
{
    for (const QString& value : {QStringLiteral("'Arial'"), QStringLiteral("\"Arial\""), QStringLiteral("\"\""),
                                 QStringLiteral("'"), QStringLiteral("it's"), QStringLiteral("'a' and 'b'"),
                                 QStringLiteral("\uFEFFmark")}) {
        ProfileFile profile = ProfileFile::fromBytes({});
        profile.writeString(QStringLiteral("s"), QStringLiteral("k"), value);
        EXPECT_EQ(ProfileFile::fromBytes(profile.toBytes()).value(QStringLiteral("s"), QStringLiteral("k")), value)
            << value.toStdString();
    }
    ProfileFile profile = ProfileFile::fromBytes({});
    profile.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("'Arial'"));
    EXPECT_EQ(profile.toBytes(), QByteArray("[s]\nk=\"'Arial'\"\n"));
}

TEST(ProfileFile, AValueCannotStartALineOfItsOwn)
{
    ProfileFile profile = ProfileFile::fromBytes("[s]\nk=1\n");
    profile.writeString(QStringLiteral("s"), QStringLiteral("name"), QStringLiteral("x\n[s]\r\nk=2"));
    const ProfileFile reread = ProfileFile::fromBytes(profile.toBytes());
    EXPECT_EQ(reread.value(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(reread.value(QStringLiteral("s"), QStringLiteral("name")), QStringLiteral("x [s]  k=2"));
}

TEST(ProfileFile, RefusesNamesThatCannotBeWritten)
{
    ProfileFile profile = ProfileFile::fromBytes({});
    const QString ok = QStringLiteral("ok");
    for (const char* section : {"", "a]b", "a\nb"})
        EXPECT_THROW(profile.writeString(QString::fromLatin1(section), ok, ok), std::invalid_argument) << section;
    for (const char* key : {"a=b", "[a", ";a", "  ", "a\rb"})
        EXPECT_THROW(profile.writeString(ok, QString::fromLatin1(key), ok), std::invalid_argument) << key;
    EXPECT_FALSE(profile.isModified());
}

TEST(ProfileFile, DefaultPathIsTheProgramNameInTheConfigFolder)
{
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where/");
    EXPECT_EQ(ProfileFile::defaultPath(), QStringLiteral("/some/where/scrivo_tests.INI"));
    // A relative folder is not a valid setting; the home folder's is used.
    qputenv("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(ProfileFile::defaultPath(), QDir::homePath() + QStringLiteral("/.config/scrivo_tests.INI"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ProfileFile::defaultPath(), QDir::homePath() + QStringLiteral("/.config/scrivo_tests.INI"));
    qputenv("XDG_CONFIG_HOME", previous);
}

TEST(ProfileFile, SavesAtomicallyAndCreatesItsFolder)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/new/folder/test.INI");
    ProfileFile missing(path);
    EXPECT_EQ(missing.value(QStringLiteral("s"), QStringLiteral("k")), std::nullopt);
    missing.save(); // nothing written yet: nothing to do
    EXPECT_FALSE(QFile::exists(path));
    missing.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    missing.save();
    EXPECT_EQ(readAll(path), QByteArray("[s]\nk=v\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/new/folder")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("test.INI")});

    ProfileFile again(path);
    again.writeString(QStringLiteral("s"), QStringLiteral("n"), QStringLiteral("w"));
    again.save();
    EXPECT_EQ(readAll(path), QByteArray("[s]\nk=v\nn=w\n"));
}

TEST(ProfileFile, DamagedFilesReadAsEmptyAndKeepTheirBytes)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/test.INI");
    static const char raw[] = "\x00\x01[s]\xFF\nk=\x00v\n[s]\nk=good\n\x7F\xFE";
    const QByteArray binary(raw, sizeof raw - 1);
    writeAll(path, binary);
    ProfileFile profile(path);
    EXPECT_EQ(profile.value(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("good"));
    profile.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("new"));
    profile.save();
    QByteArray expected = binary;
    expected.replace("k=good", "k=new");
    EXPECT_EQ(readAll(path), expected);
}

TEST(ProfileFile, AFileThatCannotBeReadIsNeverOverwritten)
{
    QTemporaryDir dir;
    // A folder where the file should be: unreadable and unwritable, even
    // for the superuser.
    const QString folder = dir.path() + QStringLiteral("/folder.INI");
    ASSERT_TRUE(QDir().mkpath(folder));
    ProfileFile inFolder(folder);
    EXPECT_EQ(inFolder.value(QStringLiteral("s"), QStringLiteral("k")), std::nullopt);
    EXPECT_EQ(inFolder.readFailure(), QStringLiteral("it is a folder"));
    inFolder.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    // The failure told is the read, not a write.
    try {
        inFolder.save();
        ADD_FAILURE() << "saved into a folder";
    } catch (const ScrivoError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Unable to read %1 (it is a folder): the settings are not kept until it "
                                           "can be read")
                                .arg(folder));
    }

    // Too large to be a settings file: read as empty and left alone.
    const QString huge = dir.path() + QStringLiteral("/huge.INI");
    writeAll(huge, "[s]\nk=v\n" + QByteArray(ProfileFile::MaxFileSize, ';'));
    ProfileFile large(huge);
    EXPECT_EQ(large.value(QStringLiteral("s"), QStringLiteral("k")), std::nullopt);
    EXPECT_EQ(large.readFailure(), QStringLiteral("larger than 16 MiB"));
    large.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("w"));
    EXPECT_THROW(large.save(), ScrivoError);
    EXPECT_EQ(QFileInfo(huge).size(), ProfileFile::MaxFileSize + 8);

    // A folder that cannot be made: its place is taken by a file.
    writeAll(dir.path() + QStringLiteral("/plain"), "x");
    ProfileFile underFile(dir.path() + QStringLiteral("/plain/test.INI"));
    EXPECT_EQ(underFile.readFailure(), std::nullopt);
    underFile.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_THROW(underFile.save(), ScrivoError);

    // Missing and readable files have no read failure.
    EXPECT_EQ(ProfileFile(dir.path() + QStringLiteral("/none.INI")).readFailure(), std::nullopt);
    EXPECT_EQ(ProfileFile(dir.path() + QStringLiteral("/plain")).readFailure(), std::nullopt);
}

TEST(ProfileFile, AReadOnlyFolderGetsItsFileWrittenInPlace)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/test.INI");
    writeAll(path, "[s]\nk=old and longer than the new value\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    // No write bit at all: read-only even for the superuser.
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));

    ProfileFile shorter(path);
    shorter.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("new"));
    shorter.save();
    EXPECT_EQ(readAll(path), QByteArray("[s]\nk=new\n"));
    ProfileFile longer(path);
    longer.writeString(QStringLiteral("second section"), QStringLiteral("key"), QStringLiteral("a longer value"));
    longer.save();
    EXPECT_EQ(readAll(path), QByteArray("[s]\nk=new\n\n[second section]\nkey=a longer value\n"));

    // The folder gains nothing and the file keeps its permissions; a new
    // file there is refused.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("test.INI")});
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(path) & ~userBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ProfileFile fresh(folder + QStringLiteral("/other.INI"));
    fresh.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_THROW(fresh.save(), ScrivoError);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ProfileFile, AFileWithoutWriteBitsIsNotWritten)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/test.INI");
    writeAll(path, "[s]\nk=v\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    ProfileFile profile(path);
    EXPECT_EQ(profile.readFailure(), std::nullopt);
    profile.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("w"));
    try {
        profile.save();
        ADD_FAILURE() << "wrote a read-only file";
    } catch (const ScrivoError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Unable to write to ") + path);
    }
    EXPECT_EQ(readAll(path), QByteArray("[s]\nk=v\n"));
}
