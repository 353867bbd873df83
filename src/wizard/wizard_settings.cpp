#include "wizard_settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include "cwproject/path_rules.h"
#include "platform/platform.h"

namespace tessaly::wizard {

namespace {

struct Label {
    const char* text;
    RememberedField field;
};

constexpr Label kLabels[] = {
    {"CW Installation Path:", RememberedField::CodeWarriorDir},
    {"Message Personality:", RememberedField::MessagePersonality},
    {"Analyser Personality:", RememberedField::AnalyserPersonality},
    {"Compiler Personality:", RememberedField::CompilerPersonality},
    {"Compilation Database:", RememberedField::CompilationDatabase},
};

}  // namespace

QList<SettingAssignment> readSettingsFile(const QString& path) {
    QList<SettingAssignment> assignments;
    // Only a regular file is read: opening a pipe of that name would wait for
    // a writer, and a device may never reach an end, either of which would
    // hold the wizard's start for ever.
    if (!QFileInfo(path).isFile()) {
        return assignments;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return assignments;
    }
    QTextStream in(&file);
    in.setEncoding(QStringConverter::System);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        for (const Label& label : kLabels) {
            if (line == QLatin1String(label.text)) {
                // At the end of the file the value is empty, not null.
                assignments.append({label.field, in.readLine()});
                if (assignments.last().value.isNull()) {
                    assignments.last().value = QLatin1String("");
                }
            }
        }
    }
    return assignments;
}

QByteArray settingsText(const RememberedValues& values) {
    QString text;
    const auto record = [&text](const char* label, const QString& value) {
        text += QLatin1String(label) + QLatin1Char('\n') + value + QLatin1String("\n\n");
    };
    record(kLabels[0].text, values.codeWarriorDir);
    if (!values.messagePersonality.isEmpty()) {
        record(kLabels[1].text, values.messagePersonality);
    }
    if (!values.analyserPersonality.isEmpty()) {
        record(kLabels[2].text, values.analyserPersonality);
    }
    if (!values.compilerPersonality.isEmpty()) {
        record(kLabels[3].text, values.compilerPersonality);
    }
    if (values.compilationDatabase) {
        record(kLabels[4].text, QLatin1String(kTicked));
    }
    QStringEncoder encode(QStringConverter::System);
    return encode(text);
}

bool writeSettingsFile(const QString& path, const RememberedValues& values) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray text = settingsText(values);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
    }
    return file.commit();
}

QString codeWarriorDirFromRegistry(Platform& platform, std::FILE* diagnostics) {
    const std::string folder = tessaly::codeWarriorDirFromRegistry(platform);
    // An empty folder comes from a failed read or from a value with no folder
    // in it; only the failed read is reported.
    if (folder.empty() && platform.pathStyle() == PathStyle::Windows && diagnostics &&
        !platform.registryValue(kCodeWarriorIdeKey)) {
        // The platform reports only that the read failed, not the system's
        // result code, which is shown as -1.
        std::fprintf(diagnostics, "%s", kCodeWarriorIdeKey);
        std::fprintf(diagnostics, "%d, %d", -1, 0);
        std::fflush(diagnostics);
    }
    return QString::fromLocal8Bit(folder.data(), qsizetype(folder.size()));
}

}  // namespace tessaly::wizard
