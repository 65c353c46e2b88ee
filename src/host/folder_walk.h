#pragma once

#include <QString>
#include <QStringList>

// The files of a folder tree, named as file_name keeps them: a name that is
// not UTF-8 (GBK names from Windows archives) is listed like any other.
namespace folder_walk {

// True when the path names a folder, through a symbolic link too.
bool isFolder(const QString& path);

// The entries under `folder` and its sub-folders whose names match one of the
// wildcard patterns, ignoring case: every kind but folders, so that special
// files and broken links are named as unreadable later, not skipped in
// silence. Links to folders are not followed (they may loop). A sub-folder
// that cannot be opened is listed itself, so that the reason is reported.
QStringList filesUnder(const QString& folder, const QStringList& patterns);

} // namespace folder_walk
