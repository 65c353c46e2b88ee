#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Reading a file piece by piece, for texts of any size: regular files only,
// or standard input ("-"), with the system's error number and a reason.
namespace chunk_reader {

struct Error {
    int number = 0;
    QString reason;
};

class Source {
  public:
    Source() = default;
    ~Source();
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    // Refuses directories, pipes, devices and sockets (except standard input)
    // before any byte is read, and never waits for a writer.
    std::optional<Error> open(const QString& path);
    bool isStandardInput() const { return m_fd == 0; }
    std::uint64_t size() const { return m_size; } // of a regular file

    // Up to `n` bytes from the current place (fewer only at the end); -1 on error.
    std::int64_t read(char* buffer, std::size_t n);
    // Up to `n` bytes from `offset`, without moving the current place.
    std::int64_t readAt(char* buffer, std::size_t n, std::uint64_t offset);
    Error lastError() const { return m_error; }

  private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    Error m_error;
};

Error errorOf(int number);

// The size of a regular file (through links), or nothing.
std::optional<std::uint64_t> regularFileSize(const QString& path);

} // namespace chunk_reader
