#pragma once

#include "analysis/corpus_count.h"
#include "analysis/frequency_report.h"
#include "cli/unihan_request.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// The command line of quillet-report.
namespace report_cli {

enum class Format { Report, Tsv, Csv, Json, Partial };
enum class Units { CodeUnit, CodePoint };

// A share of the text in millionths of a percent (90 is 90000000).
using Share = std::uint64_t;

struct ReportOptions {
    corpus_count::Options count;
    frequency::Order order = frequency::Order::FirstAppearance; // as the window starts
    Units units = Units::CodePoint;
    Format format = Format::Tsv;
    bool bom = false;
    bool quiet = false;
    bool list = false; // print the files that would be read, and stop
    bool null = false; // --list and --files-from end names with NUL, which no name holds
    std::optional<std::uint64_t> top;
    std::vector<Share> coverage;
    QStringList inputs;  // files and folders; partial tallies with --merge
    QStringList include; // name patterns for folders
    bool merge = false;
    UnihanRequest unihan; // --info, --profile, --unihan
};

struct Parsed {
    enum class Action { Run, Help, Version, Fail } action = Action::Run;
    ReportOptions options;
    QString message; // the reason of a failure
};

Parsed parse(const QStringList& arguments);

QString helpText();
QString usageLine();

// The counting options and the units as one line: partial tallies merge only
// when theirs are equal.
QString describe(const ReportOptions& options);

} // namespace report_cli
