#pragma once

#include "analysis/char_tally.h"
#include "analysis/text_preparation.h"
#include "host/text_codec.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

// The frequency tally and the substring count of many files at once: each
// file decoded as the window's Open decides, read in pieces of a few MiB and
// tallied piece by piece on all cores, the counts merged at the end, so that
// the result is the same whatever the number of threads or the size of pieces.
namespace corpus_count {

struct Options {
    preparation::Options preparation;             // as the window starts
    std::optional<text_codec::Encoding> encoding; // none: decided per file
    QString substring;                            // not empty: count it instead of tallying
    bool perFile = false;                         // keep each file's tally
    int threads = 0;                              // 0: one per core
    std::size_t chunkBytes = std::size_t(4) << 20;
    std::size_t pieceBytes = std::size_t(32) << 20; // large files split into pieces this big
    std::size_t detectBytes = std::size_t(4) << 20; // the start a decision is made from
};

struct FileResult {
    QString path;
    QString error; // not empty: the file could not be read
    std::uint64_t bytes = 0;
    std::uint64_t invalid = 0; // characters read as U+FFFD
    text_codec::Encoding encoding = text_codec::Encoding::Gbk;
    char_tally::Items items; // prepared code points, with --per-file
    std::uint64_t occurrences = 0;
};

struct Result {
    std::vector<FileResult> files; // in the order of their paths
    char_tally::Items items;       // prepared code points; first-appearance keys by file index
    std::uint64_t occurrences = 0;
};

struct Progress {
    std::atomic<std::uint64_t> bytesDone{0};
    std::atomic<int> filesDone{0};
    std::atomic<std::uint64_t> bytesTotal{0};
    std::atomic<int> filesTotal{0};
};

// The files named, and those under the folders named whose names match one of
// the patterns, sorted by path; "-" is standard input. Names that are neither
// are kept, to be reported as unreadable.
QStringList collectFiles(const QStringList& arguments, const QStringList& patterns);

// True when the options act on characters one by one, so that they can be
// applied to the counts: the fast path.
bool preparesByCounts(const preparation::Options& options);

Result count(const QStringList& files, const Options& options, Progress* progress = nullptr);

// The options as one canonical line, for comparing tallies made apart.
QString describe(const Options& options);

} // namespace corpus_count
