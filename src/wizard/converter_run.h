// What the wizard hands to tesscli: the summary shown before a run, the
// argument list, and where the program is found.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/platform.h"

namespace tessaly::wizard {

// The fields a run is built from, as the user left them; a field of blanks
// counts as empty.
struct ConverterFields {
    QString project;                   // CodeWarrior project or its export
    QString destination;               // destination folder
    QString codeWarriorDir;            // CodeWarrior installation folder; empty when unknown
    QString name;                      // destination project name
    QString messagePersonality;        // may be empty
    QString analyserPersonality;       // may be empty
    QString compilerPersonality;       // may be empty
    QString extensions;                // comma-separated, may be empty
    bool compilationDatabase = false;  // also write compile_commands.json
};

// Where the compilation database goes: compile_commands.json in the
// destination folder.
QString compilationDatabasePath(const QString& destination);

// The project file tesscli writes: <name>.prj in the destination folder.
QString projectFilePath(const QString& destination, const QString& name);

// The plain-text summary shown on the last page before a run: every field,
// what an empty installation folder, personality or extension list stands
// for, and the compilation database when one is asked for.
QString buildSummary(const ConverterFields& fields);

// The arguments after the program name: the three positional ones, the
// project name, then each optional personality and the extension list when
// not empty, and the compilation database when asked for. Every value is one
// argument, unchanged.
QStringList converterArguments(const ConverterFields& fields);

// Whether the converter's last line says that it refused its input: a
// damaged project file, or a file that is no project at all. Trying again
// cannot help then, so that line is what the failure box says.
bool refusesInput(const QString& lastLine);

// The converter's program file, as a platform of that style names it.
QString converterFileName(PathStyle style);

// The tesscli program in ownFolder, or else along the PATH; empty when
// neither has one.
QString findConverter(const QString& ownFolder);

// How long a converter asked to stop may take to remove its temporary files
// and end before it is killed.
inline constexpr int kStopGraceMs = 3000;

// Stops a running converter the way the user's Stop does: asks it to end
// (tesscli then removes its temporary files and ends with status 1), and
// kills it only when it has not ended within `graceMs`; waits at most
// `killedMs` more for its end. Its end, reported as any other, then counts
// as stopped (wasStopped), not as a failure.
void stopConverter(QProcess& process, int graceMs, int killedMs);
bool wasStopped(const QProcess& process);

}  // namespace tessaly::wizard
