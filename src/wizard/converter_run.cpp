#include "converter_run.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/platform.h"

namespace tessaly::wizard {

namespace {
const QString kConverterName = QStringLiteral("tesscli");
// Marks a process the wizard has stopped.
const char* const kStoppedProperty = "tessalyStopped";

}  // namespace

QString compilationDatabasePath(const QString& destination) {
    return destination + QDir::separator() + QStringLiteral("compile_commands.json");
}

QString projectFilePath(const QString& destination, const QString& name) {
    return destination + QDir::separator() + name + QStringLiteral(".prj");
}

QString buildSummary(const ConverterFields& fields) {
    const QString kEnd = QStringLiteral("\n\n");
    const auto personality = [](const QString& path) {
        return path.isEmpty() ? QStringLiteral("empty default") : path;
    };
    // tesscli takes an empty folder as one it does not know: a reference
    // below it names no file.
    const QString installation = fields.codeWarriorDir.isEmpty()
                                     ? QStringLiteral("unknown (references below it are not found)")
                                     : fields.codeWarriorDir;
    return QStringLiteral("Code Warrior Install Location:\n") + installation + kEnd +
           QStringLiteral("Code Warrior Project:\n") + fields.project + kEnd +
           QStringLiteral("Vexa / Vexa++ Project Directory:\n") + fields.destination + kEnd +
           QStringLiteral("Vexa / Vexa++ Project Name:\n") + fields.name + kEnd +
           QStringLiteral("Message Personality:\n") + personality(fields.messagePersonality) +
           kEnd + QStringLiteral("Tamplate Analyser Personality:\n") +
           personality(fields.analyserPersonality) + kEnd +
           QStringLiteral("Compiler Personality:\n") + personality(fields.compilerPersonality) +
           kEnd + QStringLiteral("File Extensions:\n") +
           (fields.extensions.isEmpty() ? QStringLiteral("all files") : fields.extensions) +
           QStringLiteral("\n") +
           (fields.compilationDatabase
                ? QStringLiteral("\nCompilation Database:\n") +
                      compilationDatabasePath(fields.destination) + QStringLiteral("\n")
                : QString());
}

QStringList converterArguments(const ConverterFields& fields) {
    QStringList arguments{fields.project, fields.destination, fields.codeWarriorDir,
                          QStringLiteral("-pn"), fields.name};
    const auto addOption = [&arguments](const char* option, const QString& value) {
        if (!value.isEmpty()) {
            arguments << QLatin1String(option) << value;
        }
    };
    addOption("-mp", fields.messagePersonality);
    addOption("-ap", fields.analyserPersonality);
    addOption("-cp", fields.compilerPersonality);
    addOption("-ext", fields.extensions);
    if (fields.compilationDatabase) {
        arguments << QStringLiteral("-cdb") << compilationDatabasePath(fields.destination);
    }
    return arguments;
}

bool refusesInput(const QString& lastLine) {
    return lastLine.startsWith(QLatin1String("CW Project file is damaged")) ||
           lastLine.startsWith(QLatin1String("Not a CodeWarrior project or export"));
}

QString converterFileName(PathStyle style) {
    return style == PathStyle::Windows ? kConverterName + QStringLiteral(".exe") : kConverterName;
}

QString findConverter(const QString& ownFolder) {
    QString program;
    if (!ownFolder.isEmpty()) {
        program = QStandardPaths::findExecutable(kConverterName, {ownFolder});
    }
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(kConverterName);
    }
    return program;
}

void stopConverter(QProcess& process, int graceMs, int killedMs) {
    process.setProperty(kStoppedProperty, true);
    if (!askProcessToEnd(process.processId()) || !process.waitForFinished(graceMs)) {
        process.kill();
        process.waitForFinished(killedMs);
    }
}

bool wasStopped(const QProcess& process) {
    return process.property(kStoppedProperty).toBool();
}

}  // namespace tessaly::wizard
