#include "browse_start.h"

#include <QDir>
#include <QFileInfo>

namespace tessaly::wizard {

namespace {

// The folder a path names, or the existing folder that holds it; empty when
// neither exists.
QString folderOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        return info.absoluteFilePath();
    }
    const QFileInfo parent(info.absolutePath());
    return parent.isDir() ? parent.absoluteFilePath() : QString();
}

}  // namespace

QString browseStart(bool folderDialog, const QString& fieldValue, const QString& lastChoice) {
    const QString fieldFolder = fieldValue.isEmpty() ? QString() : folderOf(fieldValue);
    if (!fieldFolder.isEmpty()) {
        return QDir::toNativeSeparators(fieldFolder);
    }
    if (folderDialog && !QFileInfo(lastChoice).isDir()) {
        const QString folder = folderOf(lastChoice);
        return folder.isEmpty() ? lastChoice : QDir::toNativeSeparators(folder);
    }
    return lastChoice;
}

}  // namespace tessaly::wizard
