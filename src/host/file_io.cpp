#include "host/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_io {

namespace {

Error systemError(int number) {
    return {number, QString::fromLocal8Bit(std::strerror(number))};
}

// Closes the descriptor whatever way the read ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::optional<Error> readAll(const QString& path, QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    const Descriptor file{::open(name.constData(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return systemError(errno);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return systemError(errno);
    if (S_ISDIR(info.st_mode))
        return systemError(EISDIR);
    QByteArray data;
    if (S_ISREG(info.st_mode))
        data.reserve(qsizetype(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return systemError(errno);
        }
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    bytes = std::move(data);
    return std::nullopt;
}

std::optional<Error> writeAtomically(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return systemError(EISDIR);
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return systemError(EACCES);
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int number = errno;
        return number ? systemError(number) : Error{EIO, file.errorString()};
    }
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const int number = errno;
        const QString qtText = file.errorString();
        file.cancelWriting();
        return number ? systemError(number) : Error{EIO, qtText};
    }
    return std::nullopt;
}

} // namespace file_io
