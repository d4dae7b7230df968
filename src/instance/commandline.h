#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the program was asked to do on its command line:
//   scrivo [--new-instance] [-h|--help] [--version] [--] [FILE]...
// Qt's own display options (-platform NAME, -display NAME, -style NAME, ...)
// are set apart for QApplication. File names are kept as the bytes the
// system gave, so that any name reaches the file system unchanged.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    // Start a separate program even when one runs on this display.
    bool newInstance = false;
    // The files to open, in order, as given (relative names included).
    QList<QByteArray> files;
    // Qt's options with their values, in order, for QApplication.
    QList<QByteArray> qtArguments;
    // For Error: the option refused, and whether it lacked its value (else
    // it is unknown).
    QByteArray refusedOption;
    bool missingValue = false;
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const QList<QByteArray>& arguments);

// name, made absolute in folder (a name that starts with "/" is already).
QByteArray absoluteFileName(const QByteArray& name, const QByteArray& folder);
// The process's current folder, as the system gives it.
QByteArray currentFolder();

// The texts of --help, --version and a refused command line, in French when
// the user's language is French, in English otherwise.
QString usageText(bool french);
QString versionText();
QString errorText(const CommandLine& line, bool french);
// True when the user's language (LC_ALL, LC_MESSAGES, LANG) is French.
bool userSpeaksFrench();
