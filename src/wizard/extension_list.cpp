#include "extension_list.h"

#include <QRegularExpression>

namespace tessaly::wizard {

namespace {

// An extension as tesscli compares it: ASCII letters in either case alike.
QString comparedForm(const QString& extension) {
    QString form = extension;
    for (QChar& c : form) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            c = QChar(c.unicode() + ('a' - 'A'));
        }
    }
    return form;
}

// A file's extension never holds a dot (tesscli takes what follows the last
// one), a separator or a wildcard.
bool canBeExtension(const QString& piece) {
    static const QRegularExpression notInExtension(QStringLiteral("[*?/\\\\.]"));
    return !piece.contains(notInExtension);
}

QString withoutLeadingDot(QString piece) {
    if (piece.startsWith(QLatin1String("*."))) {
        return piece.mid(2);
    }
    return piece.startsWith(QLatin1Char('.')) ? piece.mid(1) : piece;
}

}  // namespace

CustomExtensions readCustomExtensions(const QString& typed) {
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    CustomExtensions read;
    for (const QString& piece : typed.split(separators, Qt::SkipEmptyParts)) {
        const QString extension = withoutLeadingDot(piece);
        if (extension.isEmpty()) {
            continue;
        }
        if (!canBeExtension(extension)) {
            if (read.refused.isEmpty()) {
                read.refused = piece;
            }
            continue;
        }
        read.extensions << extension;
    }
    return read;
}

QString buildExtensionList(const std::array<bool, 8>& ticked, const QString& custom) {
    QStringList candidates;
    for (std::size_t i = 0; i < ticked.size(); ++i) {
        if (ticked[i]) {
            candidates << QLatin1String(kExtensionLiterals[i]);
        }
    }
    candidates << readCustomExtensions(custom).extensions;
    QStringList kept;
    QStringList seen;
    for (const QString& extension : candidates) {
        const QString form = comparedForm(extension);
        if (!seen.contains(form)) {
            seen << form;
            kept << extension;
        }
    }
    return kept.join(QLatin1Char(','));
}

}  // namespace tessaly::wizard
