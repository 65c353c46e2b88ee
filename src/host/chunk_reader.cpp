#include "host/chunk_reader.h"

#include "host/file_io.h"
#include "host/file_name.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chunk_reader {

Error errorOf(int number) {
    // Chinese with the English beside, whatever the locale.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QString english = QString::fromLocal8Bit(c ? ::strerror_l(number, c) : "");
    const QString chinese = file_io::describeError(number);
    return {number, chinese == english || english.isEmpty() ? chinese : chinese + " / " + english};
}

std::optional<std::uint64_t> regularFileSize(const QString& path) {
    struct stat st {};
    if (::stat(file_name::toBytes(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return std::uint64_t(st.st_size);
}

Source::~Source() {
    if (m_fd > 0)
        ::close(m_fd);
}

std::optional<Error> Source::open(const QString& path) {
    if (path == QLatin1String("-")) {
        m_fd = 0;
        return std::nullopt;
    }
    // Non-blocking, so that opening a pipe without a writer does not hang.
    const int fd = ::open(file_name::toBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errorOf(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return errorOf(e);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode))
            return errorOf(EISDIR);
        return Error{EINVAL, QStringLiteral("不是普通文件 / not a regular file")};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    m_fd = fd;
    m_size = std::uint64_t(st.st_size);
    return std::nullopt;
}

namespace {

// Reads until `n` bytes are in or the file ends, going on after a signal;
// -1 with the error number in `error` when a read fails.
template <typename ReadOnce>
std::int64_t readFully(char* buffer, std::size_t n, int& error, ReadOnce readOnce) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = readOnce(buffer + done, n - done, done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            return -1;
        }
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return std::int64_t(done);
}

} // namespace

std::int64_t Source::read(char* buffer, std::size_t n) {
    int error = 0;
    const std::int64_t done =
        readFully(buffer, n, error, [this](char* at, std::size_t left, std::size_t) {
            return ::read(m_fd, at, left);
        });
    if (done < 0)
        m_error = errorOf(error);
    return done;
}

std::int64_t Source::readAt(char* buffer, std::size_t n, std::uint64_t offset) {
    int error = 0;
    const std::int64_t done =
        readFully(buffer, n, error, [this, offset](char* at, std::size_t left, std::size_t done) {
            return ::pread(m_fd, at, left, off_t(offset + done));
        });
    if (done < 0)
        m_error = errorOf(error);
    return done;
}

} // namespace chunk_reader
