#include "field_checks.h"

#include <QFileInfo>

namespace tessaly::wizard {

FieldProblem pathProblem(const QString& path, PathKind kind) {
    if (path.isEmpty()) {
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

FieldProblem nameProblem(const QString& name, PathStyle style) {
    if (name.trimmed().isEmpty()) {
        return FieldProblem::NoName;
    }
    if (name.contains(QLatin1Char('/')) ||
        (style == PathStyle::Windows && name.contains(QLatin1Char('\\')))) {
        return FieldProblem::NameWithSeparator;
    }
    if (name.contains(QLatin1String(".."))) {
        return FieldProblem::NameWithDots;
    }
    return FieldProblem::None;
}

}  // namespace tessaly::wizard
