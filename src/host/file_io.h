#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whole-file reads and atomic writes, with the system's error number and text.
namespace file_io {

struct Error {
    int number = 0;      // errno
    QString description; // the system's text for it
};

std::optional<Error> readAll(const QString& path, QByteArray& bytes);

// Writes through a temporary file that replaces the target only when every
// byte is on disk: a failed write leaves the old file exactly as it was.
// A file without any write permission bit is read-only and is not replaced.
std::optional<Error> writeAtomically(const QString& path, const QByteArray& bytes);

} // namespace file_io
