// Every line that tesscli prints, one function per message, so that the
// program and its tests share one text for each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// What an input or output failure was; the two exception types carry it, and
// the run turns it into its one line.
enum class ErrorCode {
    UnexpectedEnd,          // the export ended inside a token or where one was needed
    CannotOpen,             // the export could not be opened
    CannotCreateDirectory,  // a folder of the analysis project could not be made
    CannotWriteFile,        // a file of the analysis project could not be written
};

// What happened to a binary project file that fails a structural check, by
// the kind of check; the damage exception carries it with the detail.
enum class Damage {
    CutShort,     // an offset or size past the end of the file
    PartShort,    // a count or length past the end of its chunk or field
    Overlap,      // two chunks claim the same bytes
    Index,        // the chunk index does not add up
    Missing,      // a part every project holds is missing
    UnknownName,  // a string number that its table lacks
    Groups,       // a group tree node of no known kind
    Growth,       // the export would pass a small multiple of the file
    Container,    // an AppleSingle container without a data fork
    LineEnds,     // bytes that a line-end conversion changed cannot be restored
    AddedCr,      // a conversion wrote each LF as CR LF, and its CR bytes are not told apart
};

namespace message {

std::string usageLine1();
std::string usageLine2();
// The answer to --version: the program's name and Tessaly's version.
std::string version();
std::string addingFile(std::string_view path);
// A file reference that resolves to no path, by the name the project gives.
std::string fileNotFound(std::string_view name);
// How many of the group list's file references (those the extension filter
// takes) resolved to no path.
std::string filesNotFound(std::size_t missing, std::size_t files);
std::string unexpectedToken(std::string_view token);
// The line for a failure; `path` is the file or folder concerned (unused for
// an unexpected end).
std::string failure(ErrorCode code, std::string_view path);
std::string creatingProject();
std::string creatingGroup(std::string_view name);
std::string creatingAnalyserPersonality(std::string_view path);
std::string projectCompleted();
// The analyser personality given on the command line cannot be read.
std::string cannotOpenGivenPersonality();
std::string conversionFailed(std::string_view reason);
// A binary project file that fails a structural check.
std::string damagedProject(std::string_view reason);
// The reason: what happened, then the technical detail in parentheses;
// `count` is the number of bytes a line-end conversion left undecided.
std::string damageReason(Damage damage, std::string_view detail, std::size_t count);
// A binary project file restored from a line-end conversion.
std::string repairedProject(std::size_t restored);
// A binary project file whose LF bytes a line-end conversion wrote as CR LF.
std::string addedCrRemoved(std::size_t removed);
// The export of a binary project file, written on its own.
std::string exportUsage();
std::string notBinaryProject(std::string_view path);
// A source project that is neither a binary project nor an export.
std::string notAProject(std::string_view path);
std::string exportWritten(std::string_view path);
// A part of a binary project file that is not read, of a target or (target
// empty) of the whole project.
std::string partNotRead(std::string_view what, std::string_view target);

}  // namespace message
}  // namespace tessaly
