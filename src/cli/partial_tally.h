#pragma once

#include "analysis/corpus_count.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A mergeable tally: exact counts per code point, the options it was made with,
// the files and their byte totals. Text, one record a line, so that a cluster
// can carry it as a string.
namespace partial_tally {

QByteArray write(const corpus_count::Result& result, const QString& options);

struct Read {
    QString options;
    corpus_count::Result result;
};
// Empty with `error` set when the bytes are no partial tally.
std::optional<Read> read(const QByteArray& bytes, QString* error);

// The files of all parts in the order of their paths, first appearances
// placed by that order: the same whatever the order of the parts.
corpus_count::Result merge(std::vector<corpus_count::Result> parts);

} // namespace partial_tally
