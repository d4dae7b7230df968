#include "instance/commandline.h"

#include <gtest/gtest.h>

namespace {

CommandLine parse(std::initializer_list<const char*> arguments)
{
    QList<QByteArray> list;
    for (const char* argument : arguments)
        list << QByteArray(argument);
    return parseCommandLine(list);
}

using Files = QList<QByteArray>;

}

TEST(CommandLine, FilesInOrderOptionsApartAndTheEndOfOptions)
{
    CommandLine line = parse({"b.txt", "/tmp/a.txt", "-", "--new-instance", "c\xff.txt"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_TRUE(line.newInstance);
    EXPECT_EQ(line.files, (Files{"b.txt", "/tmp/a.txt", "-", "c\xff.txt"}));

    // After "--" every argument is a name, options included.
    line = parse({"--", "-h", "--new-instance", "--"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_FALSE(line.newInstance);
    EXPECT_EQ(line.files, (Files{"-h", "--new-instance", "--"}));

    // Qt's display options go to Qt, with their values.
    line = parse({"-platform", "offscreen", "a", "--style=Fusion", "-reverse", "-display", ":1", "b"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.files, (Files{"a", "b"}));
    EXPECT_EQ(line.qtArguments, (Files{"-platform", "offscreen", "--style=Fusion", "-reverse", "-display", ":1"}));
}

TEST(CommandLine, HelpVersionAndRefusals)
{
    EXPECT_EQ(parse({"a", "--help", "--bogus"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::Version);

    CommandLine line = parse({"a", "--bogus", "--help"});
    EXPECT_EQ(line.action, CommandLine::Action::Error);
    EXPECT_EQ(line.refusedOption, "--bogus");
    EXPECT_EQ(errorText(line, false),
              QStringLiteral("scrivo: unknown option '--bogus'\nTry 'scrivo --help' for more information.\n"));
    EXPECT_EQ(errorText(line, true), QStringLiteral("scrivo : option inconnue « --bogus »\n"
                                                    "Essayez « scrivo --help » pour plus d'informations.\n"));
    for (auto arguments : {std::initializer_list<const char*>{"-x"}, {"--reverse=1"}, {"-new-instance"}})
        EXPECT_EQ(parse(arguments).action, CommandLine::Action::Error);

    line = parse({"a", "-style"});
    EXPECT_EQ(line.action, CommandLine::Action::Error);
    EXPECT_TRUE(line.missingValue);
    EXPECT_EQ(errorText(line, false),
              QStringLiteral("scrivo: option '-style' needs a value\nTry 'scrivo --help' for more information.\n"));

    EXPECT_TRUE(usageText(false).startsWith(QStringLiteral("Usage: scrivo [OPTION]... [--] [FILE]...\n")));
    EXPECT_TRUE(usageText(true).startsWith(QStringLiteral("Usage : scrivo [OPTION]... [--] [FICHIER]...\n")));
    EXPECT_EQ(versionText(), QStringLiteral("scrivo 2.0\n"));
}

TEST(CommandLine, RelativeNamesAreResolvedInTheCallersFolder)
{
    EXPECT_EQ(absoluteFileName("notes.txt", "/home/u/work"), QByteArray("/home/u/work/notes.txt"));
    EXPECT_EQ(absoluteFileName("../x\xff", "/home/u/"), QByteArray("/home/u/../x\xff"));
    EXPECT_EQ(absoluteFileName("/etc/hosts", "/home/u"), QByteArray("/etc/hosts"));
    EXPECT_EQ(absoluteFileName("-", "/"), QByteArray("/-"));
    EXPECT_FALSE(currentFolder().isEmpty());
    EXPECT_TRUE(currentFolder().startsWith('/'));
}

TEST(CommandLine, FrenchWhenTheUserSpeaksIt)
{
    const QByteArray all = qgetenv("LC_ALL");
    const QByteArray messages = qgetenv("LC_MESSAGES");
    const QByteArray lang = qgetenv("LANG");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "fr_FR.UTF-8");
    EXPECT_TRUE(userSpeaksFrench());
    qputenv("LC_MESSAGES", "C");
    EXPECT_FALSE(userSpeaksFrench());
    qputenv("LC_ALL", "fr_CA");
    EXPECT_TRUE(userSpeaksFrench());
    qputenv("LC_ALL", all);
    qputenv("LC_MESSAGES", messages);
    qputenv("LANG", lang);
}
