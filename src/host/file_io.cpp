#include "host/file_io.h"

#include "host/memory.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_io {

namespace {

// An open holds the bytes, the decoded text, the box's exact text and its
// view, laid out: measured at 12 to 16 bytes of memory for each byte of the file.
constexpr qint64 kMemoryPerByte = 16;

Error systemError(int number) {
    return {number, QString::fromLocal8Bit(std::strerror(number))};
}

Error notRegular() {
    return {EINVAL, QStringLiteral("这不是普通文件(而是管道、设备或套接字),不能作为文本读写。")};
}

Error tooLarge(qint64 size) {
    return {EFBIG, QStringLiteral("文件太大(%1 字节),超出本程序能容纳的大小,没有读取。").arg(size)};
}

// Closes the descriptor whatever way the function ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Over a size limit the kernel would end the process with SIGXFSZ; ignored,
// the write fails with EFBIG and is reported like any other failure.
void ignoreFileSizeSignal() {
    static const bool once = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)once;
}

std::optional<Error> writeAllAt(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return systemError(errno);
        }
        done += put;
    }
    return std::nullopt;
}

// Overwrites the file itself, so its inode, links, owner, group and mode stay.
// The space is reserved first: a full disk or a size limit stops the save
// before any old byte is overwritten.
std::optional<Error> writeInPlace(const QByteArray& name, const QByteArray& bytes, off_t oldSize) {
    const Descriptor file{::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return systemError(errno);
    if (bytes.size() > oldSize) {
        const int reserved = ::posix_fallocate(file.fd, 0, off_t(bytes.size()));
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
            return systemError(reserved);
    }
    if (auto error = writeAllAt(file.fd, bytes))
        return error;
    if (::ftruncate(file.fd, off_t(bytes.size())) != 0 || ::fsync(file.fd) != 0)
        return systemError(errno);
    return std::nullopt;
}

bool directoryWritable(const QByteArray& file) {
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray directory = slash < 0    ? QByteArray(".")
                                 : slash == 0 ? QByteArray("/")
                                              : file.left(slash);
    return ::faccessat(AT_FDCWD, directory.constData(), W_OK, AT_EACCESS) == 0;
}

} // namespace

qint64 readLimit() {
    return std::min<qint64>(INT_MAX, memory::available() / kMemoryPerByte);
}

std::optional<Error> readAll(const QString& path, QByteArray& bytes, qint64 limit) {
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK, opening a pipe waits for a writer for ever.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0)
        return systemError(errno);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return systemError(errno);
    if (S_ISDIR(info.st_mode))
        return systemError(EISDIR);
    if (!S_ISREG(info.st_mode))
        return notRegular();
    if (info.st_size > limit)
        return tooLarge(info.st_size);
    try {
        QByteArray data;
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
            if (data.size() + got > limit) // the file grew while it was read
                return tooLarge(data.size() + got);
            data.append(buffer, got);
        }
        bytes = std::move(data);
    } catch (const std::bad_alloc&) {
        return systemError(ENOMEM);
    }
    return std::nullopt;
}

std::optional<Error> save(const QString& path, const QByteArray& bytes) {
    ignoreFileSizeSignal();
    QByteArray name = QFile::encodeName(path);
    struct stat info {};
    const bool exists = ::stat(name.constData(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode))
            return systemError(EISDIR);
        if (!S_ISREG(info.st_mode))
            return notRegular();
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return systemError(EACCES);
        // Write the file a symbolic link names, not a new file in the link's place.
        if (char* real = ::realpath(name.constData(), nullptr)) {
            name = real;
            std::free(real);
        }
        // In place, too, when the directory cannot take a temporary file: unlike
        // a plain direct write, the space is reserved before the old bytes go.
        if (info.st_nlink > 1 || info.st_uid != ::geteuid() || !directoryWritable(name))
            return writeInPlace(name, bytes, info.st_size);
    }

    QSaveFile file(QFile::decodeName(name));
    errno = 0;
    // Unbuffered: a buffered write reports every byte as written and a failed
    // flush would still be committed over the old file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int number = errno;
        return number ? systemError(number) : Error{EIO, file.errorString()};
    }
    if (exists) {
        struct stat made {};
        ::fstat(file.handle(), &made);
        if (made.st_gid != info.st_gid && ::fchown(file.handle(), uid_t(-1), info.st_gid) != 0) {
            // The new file cannot have the old group: keep the old file instead.
            file.cancelWriting();
            return writeInPlace(name, bytes, info.st_size);
        }
        ::fchmod(file.handle(), info.st_mode & 07777);
    }
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const int number = errno;
        const QString qtText = file.errorString();
        file.cancelWriting();
        return number ? systemError(number) : Error{EIO, qtText};
    }
    return std::nullopt;
}

std::optional<Error> createEmpty(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const Descriptor file{
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666)};
    if (file.fd < 0)
        return systemError(errno);
    return std::nullopt;
}

} // namespace file_io
