// quillet-report: the frequency report for files and folders, from the command line.
#include "cli/report_run.h"
#include "host/file_name.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The bytes as given: a GBK file name reaches the system unchanged.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << file_name::fromBytes(argv[i]);
    return report_cli::run(arguments);
}
