#include "instance/commandline.h"

#include <QByteArrayView>

#include <cerrno>
#include <climits>
#include <unistd.h>

#include <vector>

namespace {

// Qt's options that take a value; the others below stand alone. Qt takes
// them with one dash or two, and with the value after "=" or as the next
// argument.
constexpr const char* qtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "display", "qwindowgeometry", "geometry",
    "qwindowicon", "icon", "qwindowtitle", "title", "session", "name", "style", "stylesheet", "visual",
};
constexpr const char* qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option's name without its dashes and without "=value".
QByteArray optionName(const QByteArray& argument)
{
    QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
    const qsizetype eq = name.indexOf('=');
    return eq < 0 ? name : name.left(eq);
}

template <std::size_t N>
bool isOneOf(const QByteArray& name, const char* const (&names)[N])
{
    for (const char* candidate : names)
        if (name == candidate)
            return true;
    return false;
}

}

CommandLine parseCommandLine(const QList<QByteArray>& arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        // "-" alone is a name, as it is for most programs that take files.
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            line.files << argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (argument == "--new-instance") {
            line.newInstance = true;
        } else if (const QByteArray name = optionName(argument); isOneOf(name, qtOptionsWithValue)) {
            line.qtArguments << argument;
            if (!argument.contains('=')) {
                if (i + 1 >= arguments.size()) {
                    line.action = CommandLine::Action::Error;
                    line.refusedOption = argument;
                    line.missingValue = true;
                    return line;
                }
                line.qtArguments << arguments[++i];
            }
        } else if (isOneOf(name, qtFlags) && !argument.contains('=')) {
            line.qtArguments << argument;
        } else {
            line.action = CommandLine::Action::Error;
            line.refusedOption = argument;
            return line;
        }
    }
    return line;
}

QByteArray absoluteFileName(const QByteArray& name, const QByteArray& folder)
{
    if (name.startsWith('/') || folder.isEmpty())
        return name;
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray currentFolder()
{
    std::vector<char> buffer(PATH_MAX + 1);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.data());
}

bool userSpeaksFrench()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty())
            return value.startsWith("fr");
    }
    return false;
}

QString usageText(bool french)
{
    if (french)
        return QStringLiteral(
            "Usage : scrivo [OPTION]... [--] [FICHIER]...\n"
            "Scrivo 2.0, éditeur de texte brut à onglets avec explorateur de fichiers.\n"
            "\n"
            "Ouvre chaque FICHIER dans un onglet, le premier dans le document de départ.\n"
            "Quand Scrivo tourne déjà sur cet écran, les fichiers s'ouvrent dans sa fenêtre.\n"
            "\n"
            "  --new-instance  lance un programme séparé, même quand Scrivo tourne déjà\n"
            "  -h, --help      affiche cette aide et quitte\n"
            "      --version   affiche la version et quitte\n"
            "  --              fin des options : tout argument qui suit est un nom de fichier\n"
            "\n"
            "Les options d'affichage de Qt (-platform, -display, -style, ...) sont acceptées.\n");
    return QStringLiteral(
        "Usage: scrivo [OPTION]... [--] [FILE]...\n"
        "Scrivo 2.0, a tabbed plain-text editor with a file explorer.\n"
        "\n"
        "Opens each FILE in a tab of its own, the first in the start-up document.\n"
        "When Scrivo already runs on this display, the files open in its window.\n"
        "\n"
        "  --new-instance  start a separate program, even when Scrivo already runs\n"
        "  -h, --help      show this help and exit\n"
        "      --version   show the version and exit\n"
        "  --              end of options: every argument after it is a file name\n"
        "\n"
        "Qt's display options (-platform, -display, -style, ...) are accepted too.\n");
}

QString versionText() { return QStringLiteral("scrivo " SCRIVO_VERSION "\n"); }

QString errorText(const CommandLine& line, bool french)
{
    const QString option = QString::fromLocal8Bit(line.refusedOption);
    if (french)
        return (line.missingValue ? QStringLiteral("scrivo : l'option « %1 » demande une valeur\n")
                                  : QStringLiteral("scrivo : option inconnue « %1 »\n"))
                   .arg(option)
            + QStringLiteral("Essayez « scrivo --help » pour plus d'informations.\n");
    return (line.missingValue ? QStringLiteral("scrivo: option '%1' needs a value\n")
                              : QStringLiteral("scrivo: unknown option '%1'\n"))
               .arg(option)
        + QStringLiteral("Try 'scrivo --help' for more information.\n");
}
