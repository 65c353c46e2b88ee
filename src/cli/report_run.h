#pragma once

#include <QStringList>

namespace report_cli {

// Parses the arguments, runs the report and writes it to standard output;
// returns the exit status: 0 all files read, 1 some unreadable, 2 bad options.
int run(const QStringList& arguments);

} // namespace report_cli
