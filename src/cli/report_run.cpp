#include "cli/report_run.h"

#include <cstdio>

namespace report_cli {

int run(const QStringList& arguments) {
    if (arguments.contains(QStringLiteral("--version"))) {
        std::fputs("quillet-report " QUILLET_VERSION "\n", stdout);
        return 0;
    }
    return 2;
}

} // namespace report_cli
