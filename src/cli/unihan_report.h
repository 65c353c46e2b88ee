#pragma once

#include "analysis/corpus_count.h"
#include "analysis/unihan_data.h"
#include "cli/report_options.h"
#include "cli/table_writers.h"

#include <QString>
#include <cstdio>
#include <optional>

// Readings, strokes and list levels in quillet-report: the --info columns and
// the --profile tables.
namespace report_cli {

// Why the Unihan options cannot go with the others; empty when they can.
QString unihanConflict(const ReportOptions& options);

// The table for the request, or the message to stop with.
std::optional<unihan::Table> loadUnihan(const UnihanRequest& request, QString* error);

ExtraColumns infoColumns(const unihan::Table& table, const std::vector<unihan::InfoField>& fields);

// --profile --top 0 in tsv, csv or report: the profiles without the tables.
bool profileOnly(const ReportOptions& options);

// The level profiles after the tables: each file's with --per-file, then the
// whole text's.
void writeProfiles(std::FILE* out, const ReportOptions& options, const corpus_count::Result& result,
                   const unihan::Table& table);

} // namespace report_cli
