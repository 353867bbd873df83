#include "field_checks.h"

#include <QFileInfo>

#include "extension_list.h"

namespace tessaly::wizard {

namespace {

const QString kProjectEnding = QStringLiteral(".prj");

bool isBlank(QChar c) {
    return c.isSpace();
}

// The length of a file name as the file system counts it: UTF-16 units on
// Windows, bytes elsewhere, where Qt names files in UTF-8.
qsizetype fileNameLength(const QString& name, PathStyle style) {
    return style == PathStyle::Windows ? name.size() : name.toUtf8().size();
}

}  // namespace

QString fieldValue(const QString& text) {
    return text.trimmed().isEmpty() ? QString() : text;
}

FieldProblem pathProblem(const QString& path, PathKind kind) {
    if (fieldValue(path).isEmpty()) {
        return FieldProblem::NoPath;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        return kind == PathKind::File ? FieldProblem::NoSuchFile : FieldProblem::NoSuchFolder;
    }
    if (kind == PathKind::File) {
        return info.isFile()  ? FieldProblem::None
               : info.isDir() ? FieldProblem::FolderNotFile
                              : FieldProblem::NotAFile;
    }
    return info.isDir()    ? FieldProblem::None
           : info.isFile() ? FieldProblem::FileNotFolder
                           : FieldProblem::NotAFolder;
}

FieldProblem installationProblem(const QString& path, PathStyle style) {
    if (style == PathStyle::Posix && fieldValue(path).isEmpty()) {
        return FieldProblem::None;
    }
    return pathProblem(path, PathKind::Folder);
}

QString projectName(const QString& typed) {
    return typed.endsWith(kProjectEnding, Qt::CaseInsensitive)
               ? typed.chopped(kProjectEnding.size())
               : typed;
}

FieldProblem nameProblem(const QString& name, PathStyle style) {
    const QString used = projectName(name);
    if (fieldValue(used).isEmpty()) {
        return FieldProblem::NoName;
    }
    if (used.contains(QLatin1Char('/')) ||
        (style == PathStyle::Windows && used.contains(QLatin1Char('\\')))) {
        return FieldProblem::NameWithSeparator;
    }
    if (used.count(QLatin1Char('.')) == used.size()) {
        return FieldProblem::NameOnlyDots;
    }
    if (isBlank(used.front()) || isBlank(used.back())) {
        return FieldProblem::NameWithBlankEnd;
    }
    if (fileNameLength(used + kProjectEnding, style) > kLongestFileName) {
        return FieldProblem::NameTooLong;
    }
    return FieldProblem::None;
}

FieldProblem customExtensionsProblem(const QString& typed) {
    return readCustomExtensions(typed).refused.isEmpty() ? FieldProblem::None
                                                         : FieldProblem::NotAnExtension;
}

}  // namespace tessaly::wizard
