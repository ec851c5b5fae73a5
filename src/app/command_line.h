#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for. Nimbrix takes no arguments of its own besides
// these; the windowing system's options (-platform, -display, ...) are taken by the
// application object before the command line is read for a run.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // For Error: what was wrong, one line.
    QString error;
    // Not listed in the help: run, wait for the first conditions on screen, save a picture of
    // the main window to this file and exit (the build's screenshot for the software centre).
    QString screenshot_file;
};

// Reads the arguments (the program name first). --help wins over --version, both over an error.
CommandLine parse_command_line(const QStringList& arguments);

// The text of --help: options, the host roles with the address each one uses now, and where
// the settings live.
QString command_line_help();

// The text of --version: "nimbrix " and the program version.
QString command_line_version();
