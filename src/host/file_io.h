#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whole-file reads and safe writes, with the system's error number and text.
namespace file_io {

struct Error {
    int number = 0;      // errno
    QString description; // our Chinese text for it, or the system's for a rare one
};

// The error's description in Chinese for the numbers file commands meet; the
// system's own text (in its locale) for the rest.
QString describeError(int number);

// The largest file the program reads: one that decodes to at most 2^31 - 1
// code units and, with the copies an open makes, fits in the available memory.
qint64 readLimit();

// Reads a regular file (symbolic links followed). Pipes, devices and sockets,
// and files above the limit, are refused before any byte is read.
std::optional<Error> readAll(const QString& path, QByteArray& bytes, qint64 limit = readLimit());

// Replaces the file's content, keeping its identity: the file that a symbolic
// link names is written; owner, group and mode stay. Normally through a
// temporary file that replaces the target only when every byte is on disk; in
// place (after reserving the space) when the file has other hard links,
// belongs to another user or stands in a directory that cannot take a
// temporary file. A file without any write permission bit is not replaced.
// A file whose name is not UTF-8, which Qt cannot name, is written in place too.
// A file-size limit makes the write fail with EFBIG instead of ending the process.
std::optional<Error> save(const QString& path, const QByteArray& bytes);

// Creates an empty file; fails if it exists. For a symbolic link to a missing
// file, creates the file the link names. Paths are those of file_name.
std::optional<Error> createEmpty(const QString& path);

} // namespace file_io
