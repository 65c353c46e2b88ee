// quillet-report: the frequency report for files and folders, from the command line.
#include "cli/report_run.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return report_cli::run(QCoreApplication::arguments());
}
