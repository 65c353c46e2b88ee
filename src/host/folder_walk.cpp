#include "host/folder_walk.h"

#include "host/file_name.h"

#include <QRegularExpression>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace folder_walk {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

class Matcher {
  public:
    explicit Matcher(const QStringList& patterns) {
        for (const QString& p : patterns) {
            QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                  QRegularExpression::CaseInsensitiveOption);
            if (re.isValid()) // "[" matches nothing, as in QDir
                m_patterns.push_back(std::move(re));
        }
    }
    // Matched on the name as the user reads it: a regular expression needs
    // well-formed text, which a kept byte of a GBK name is not.
    bool matches(const QString& name) const {
        const QString shown = file_name::display(name);
        for (const QRegularExpression& re : m_patterns)
            if (re.match(shown).hasMatch())
                return true;
        return false;
    }

  private:
    std::vector<QRegularExpression> m_patterns;
};

void walk(const QString& folder, const Matcher& matcher, QStringList& files) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(file_name::toBytes(folder).constData()));
    if (!dir) {
        files << folder; // the reading names the reason
        return;
    }
    const int fd = ::dirfd(dir.get());
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since it was listed
        const QString path = prefix + file_name::fromBytes(name);
        if (S_ISDIR(st.st_mode)) {
            walk(path, matcher, files);
            continue;
        }
        if (S_ISLNK(st.st_mode) && ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            continue;
        if (matcher.matches(file_name::fromBytes(name)))
            files << path;
    }
}

} // namespace

bool isFolder(const QString& path) {
    struct stat st {};
    return ::stat(file_name::toBytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QStringList filesUnder(const QString& folder, const QStringList& patterns) {
    QStringList files;
    walk(folder, Matcher(patterns), files);
    return files;
}

} // namespace folder_walk
