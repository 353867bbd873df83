// "settings.txt": the fields the wizard remembers between runs, as
// records of a label line, a value line and an empty line, in the current
// directory. Also the CodeWarrior folder proposed from the registry.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdio>

namespace tessaly {
class Platform;
}

namespace tessaly::wizard {

inline constexpr const char* kSettingsFileName = "settings.txt";

enum class RememberedField {
    CodeWarriorDir,
    MessagePersonality,
    AnalyserPersonality,
    CompilerPersonality,
    CompilationDatabase
};

// The value of the compilation database record when the box is ticked.
inline constexpr const char* kTicked = "yes";

struct SettingAssignment {
    RememberedField field;
    QString value;
    bool operator==(const SettingAssignment&) const = default;
};

struct RememberedValues {
    QString codeWarriorDir;
    QString messagePersonality;
    QString analyserPersonality;
    QString compilerPersonality;
    bool compilationDatabase = false;
};

// The assignments the file makes, in file order: every line that is exactly
// a label sets its field to the line after it (empty at the end of the file).
// Lines may end in LF or CR LF. No assignments when the file cannot be read
// or is not a regular file.
QList<SettingAssignment> readSettingsFile(const QString& path);

// The file's text: the installation record always, each personality record
// only when its value is not empty, the compilation database record only
// when it is asked for (a file without it, as older wizards wrote, reads as
// not asked for); LF line ends.
QByteArray settingsText(const RememberedValues& values);

// Replaces the file with settingsText(values) in one step, so that an
// interrupted write leaves the previous file. False when it cannot be written.
bool writeSettingsFile(const QString& path, const RememberedValues& values);

// The CodeWarrior folder that tesscli takes by default (the folder above the
// IDE's program folder, from the IDE's registry entry); empty when there is
// none. Where a registry exists, a failed read also writes a diagnostic (the
// key, then the result code) to `diagnostics`.
QString codeWarriorDirFromRegistry(Platform& platform, std::FILE* diagnostics);

}  // namespace tessaly::wizard
