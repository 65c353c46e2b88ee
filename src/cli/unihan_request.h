#pragma once

#include "analysis/level_profile.h"

#include <QString>
#include <vector>

namespace report_cli {

// What quillet-report is asked of the Unihan data.
struct UnihanRequest {
    std::vector<unihan::InfoField> info; // --info: extra table columns
    bool profile = false;                // --profile
    QString dir;                         // --unihan; empty: the installed files
    bool needed() const { return profile || !info.empty(); }
};

} // namespace report_cli
