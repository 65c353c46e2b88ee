#include "host/file_io.h"

#include "host/file_name.h"
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
    return {number, describeError(number)};
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

// Qt cannot name a file whose name is not UTF-8: such a file is written in
// place, through its own bytes.
bool qtCanName(const QByteArray& name) {
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

bool directoryWritable(const QByteArray& file) {
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray directory = slash < 0    ? QByteArray(".")
                                 : slash == 0 ? QByteArray("/")
                                              : file.left(slash);
    return ::faccessat(AT_FDCWD, directory.constData(), W_OK, AT_EACCESS) == 0;
}

} // namespace

QString describeError(int number) {
    // Whatever the system's locale: the program speaks Chinese.
    switch (number) {
    case ENOENT:
        return QStringLiteral("没有那个文件或目录");
    case EACCES:
        return QStringLiteral("权限不够");
    case EPERM:
        return QStringLiteral("不允许的操作");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EFBIG:
        return QStringLiteral("文件太大");
    case EISDIR:
        return QStringLiteral("这是一个目录,不是文件");
    case ENOTDIR:
        return QStringLiteral("路径中有一部分不是目录");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case ELOOP:
        return QStringLiteral("符号链接的层数过多(可能形成了循环)");
    case EEXIST:
        return QStringLiteral("文件已存在");
    case EBUSY:
        return QStringLiteral("设备或资源忙");
    case ETXTBSY:
        return QStringLiteral("文件正被执行,不能写入");
    case EIO:
        return QStringLiteral("输入/输出错误");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EMFILE:
        return QStringLiteral("打开的文件太多");
    case EXDEV:
        return QStringLiteral("不能跨文件系统移动或链接");
    case EINVAL:
        return QStringLiteral("无效的参数");
    default:
        return QString::fromLocal8Bit(std::strerror(number));
    }
}

qint64 readLimit() {
    return std::min<qint64>(INT_MAX, memory::available() / kMemoryPerByte);
}

std::optional<Error> readAll(const QString& path, QByteArray& bytes, qint64 limit) {
    const QByteArray name = file_name::toBytes(path);
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
    QByteArray name = file_name::toBytes(path);
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
        if (info.st_nlink > 1 || info.st_uid != ::geteuid() || !directoryWritable(name) ||
            !qtCanName(name))
            return writeInPlace(name, bytes, info.st_size);
    } else if (!qtCanName(name)) {
        if (auto error = createEmpty(path))
            return error;
        return writeInPlace(name, bytes, 0);
    }

    QSaveFile file(QFile::decodeName(name));
    errno = 0;
    // Unbuffered: a buffered write reports every byte as written and a failed
    // flush would still be committed over the old file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int number = errno;
        return systemError(number ? number : EIO);
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
        file.cancelWriting();
        return systemError(number ? number : EIO);
    }
    return std::nullopt;
}

std::optional<Error> createEmpty(const QString& path) {
    const QByteArray name = file_name::toBytes(path);
    Descriptor file{
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666)};
    if (file.fd < 0 && errno == EEXIST) {
        // A symbolic link to a missing file: create the file it names.
        struct stat link {};
        struct stat target {};
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) &&
            ::stat(name.constData(), &target) != 0 && errno == ENOENT)
            file.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
        else
            errno = EEXIST;
    }
    if (file.fd < 0)
        return systemError(errno);
    return std::nullopt;
}

} // namespace file_io
