// What the wizard hands to tesscli: the extension list built from the
// extension page, the summary shown before a run, the argument list, and
// where the program is found.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "platform/platform.h"

namespace tessaly::wizard {

// The fields a run is built from, each exactly as the user left it.
struct ConverterFields {
    QString project;                   // exported CodeWarrior project
    QString destination;               // destination folder
    QString codeWarriorDir;            // CodeWarrior installation folder
    QString name;                      // destination project name
    QString messagePersonality;        // may be empty
    QString analyserPersonality;       // may be empty
    QString compilerPersonality;       // may be empty
    QString extensions;                // comma-separated, may be empty
    bool compilationDatabase = false;  // also write compile_commands.json
};

// The extension check boxes in the order their literals are listed.
inline constexpr std::array<const char*, 8> kExtensionLiterals = {"cpp", "cc", "cxx", "c",
                                                                  "h",   "hh", "hpp", "hxx"};

// Ticked extensions (in the order of kExtensionLiterals), each followed by a
// comma, then the custom text as typed; one trailing comma is dropped. Each
// extension is kept once, where it first stands, ignoring the case of ASCII
// letters as tesscli does; blanks stay.
QString buildExtensionList(const std::array<bool, 8>& ticked, const QString& custom);

// Where the compilation database goes: compile_commands.json in the
// destination folder.
QString compilationDatabasePath(const QString& destination);

// The project file tesscli writes: <name>.prj in the destination folder.
QString projectFilePath(const QString& destination, const QString& name);

// The plain-text summary shown on the last page before a run: every field,
// what an empty personality or extension list stands for, and the
// compilation database when one is asked for.
QString buildSummary(const ConverterFields& fields);

// The arguments after the program name: the three positional ones, the
// project name, then each optional personality and the extension list when
// not empty, and the compilation database when asked for. Every value is one
// argument, unchanged.
QStringList converterArguments(const ConverterFields& fields);

// The converter's program file, as a platform of that style names it.
QString converterFileName(PathStyle style);

// The tesscli program in ownFolder, or else along the PATH; empty when
// neither has one.
QString findConverter(const QString& ownFolder);

}  // namespace tessaly::wizard
