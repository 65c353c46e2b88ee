#pragma once

#include <QString>
#include <QStringList>

class Form1;

// quillet [FILE], --help, --version.
namespace command_line {

struct Request {
    enum class Action { OpenWindow, PrintHelp, PrintVersion, Fail };
    Action action = Action::OpenWindow;
    QString file;   // absolute path of the file to open; empty for none
    QString output; // what to print for the other actions (the error for Fail)
};

// The arguments as text, the bytes of a file name that are not UTF-8 kept
// (file_name); from argv as it is after the application object took its own.
QStringList arguments(int argc, const char* const* argv);

// False when the arguments ask for help or the version, or are wrong: those
// print and quit without a display (so they work over ssh and in package checks).
// Needs no application object.
bool needsWindow(int argc, const char* const* argv);

// Reads the arguments (the program name first, as QCoreApplication::arguments()
// gives them); needs the application object for the usage line.
Request parse(const QStringList& arguments);

// Opens the requested file into the input box exactly as Open does after its
// dialog; a file that cannot be read gives Open's error and leaves the window
// as it was. False after an error.
bool openRequested(Form1& form, const Request& request);

} // namespace command_line
