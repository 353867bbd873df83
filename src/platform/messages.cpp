#include "platform/messages.h"

#include "version.h"

namespace tessaly::message {

namespace {

std::string withText(std::string_view prefix, std::string_view text) {
    std::string line(prefix);
    line += text;
    return line;
}

}  // namespace

std::string usageLine1() {
    return "Usage: tesscli <source_proj> <dest_folder> <codewarrior_install_dir> [-pn "
           "dest_proj_name]";
}

std::string usageLine2() {
    return "[-mp message_personality] [-ap analyser_personality] [-cp compiler_personality] [-ext "
           "file_extension]";
}

std::string version() {
    return "tesscli " TESSALY_VERSION;
}

std::string addingFile(std::string_view path) {
    return withText("adding file: ", path);
}

std::string fileNotFound(std::string_view name) {
    return withText("file not found: ", name);
}

std::string filesNotFound(std::size_t missing, std::size_t files) {
    return std::to_string(missing) + " of " + std::to_string(files) +
           " files not found on the access paths";
}

std::string unexpectedToken(std::string_view token) {
    return withText("CW Project file parsing encountered unexpected token: ", token);
}

std::string failure(ErrorCode code, std::string_view path) {
    switch (code) {
        case ErrorCode::UnexpectedEnd:
            return "CW Project file parsing encountered unexpected EOF";
        case ErrorCode::CannotOpen:
            return withText("Could not open file: ", path);
        case ErrorCode::CannotCreateDirectory:
            return withText("Could not create directory: ", path);
        case ErrorCode::CannotWriteFile:
            break;
    }
    return withText("Could not write file: ", path);
}

std::string creatingProject() {
    return "Creating Vexa/Vexa++ Project ...";
}

std::string creatingGroup(std::string_view name) {
    return withText("  Creating Group - ", name);
}

std::string creatingAnalyserPersonality(std::string_view path) {
    return withText("  Creating Analyser Personality - ", path);
}

std::string projectCompleted() {
    return "Vexa/Vexa++ Project Completed!";
}

std::string cannotOpenGivenPersonality() {
    return "Couldnt open file";
}

std::string conversionFailed(std::string_view reason) {
    return withText("Conversion failed: ", reason);
}

std::string damagedProject(std::string_view reason) {
    return withText("CW Project file is damaged: ", reason);
}

std::string damageReason(Damage damage, std::string_view detail, std::size_t count) {
    std::string what;
    switch (damage) {
        case Damage::CutShort:
            what = "the file ends before parts that it lists, as a file cut off in copying does";
            break;
        case Damage::PartShort:
            what = "a part of the project is shorter than its own counts and lengths say";
            break;
        case Damage::Overlap:
            what = "two of its parts claim the same bytes, which the IDE never writes";
            break;
        case Damage::Index:
            what = "its list of parts does not add up";
            break;
        case Damage::Missing:
            what = "a part that every project holds is missing";
            break;
        case Damage::UnknownName:
            what = "it refers to a name or a target that it does not hold";
            break;
        case Damage::Groups:
            what = "its group list holds a node of no known kind";
            break;
        case Damage::Growth:
            what = "its texts would make an export far larger than the file";
            break;
        case Damage::Container:
            what = "it is wrapped in an AppleSingle container that holds no project";
            break;
        case Damage::LineEnds:
            what = "a line-end conversion turned its CR bytes into LF, and " +
                   std::to_string(count) +
                   " of them cannot be restored; take the file from a copy that version control "
                   "kept as binary";
            break;
        case Damage::AddedCr:
            what =
                "a line-end conversion wrote each of its LF bytes as CR LF, and without those "
                "CR bytes it is still not a whole project; take the file from a copy that "
                "version control kept as binary";
            break;
    }
    if (!detail.empty()) {
        what += " (";
        what += detail;
        what += ")";
    }
    return what;
}

std::string repairedProject(std::size_t restored) {
    return "CW Project file repaired: " + std::to_string(restored) +
           " bytes that a line-end conversion had changed were restored";
}

std::string addedCrRemoved(std::size_t removed) {
    return "CW Project file repaired: " + std::to_string(removed) +
           " CR bytes that a line-end conversion had put before LF were removed";
}

std::string exportUsage() {
    return "Usage: tesscli --export-xml <source_proj> <export_file>";
}

std::string notBinaryProject(std::string_view path) {
    return withText("Not a binary CW Project file: ", path);
}

std::string notAProject(std::string_view path) {
    return withText("Not a CodeWarrior project or export: ", path);
}

std::string exportWritten(std::string_view path) {
    return withText("CW Project export written: ", path);
}

std::string partNotRead(std::string_view what, std::string_view target) {
    std::string line = withText("CW Project file part not read: ", what);
    if (!target.empty()) {
        line += " of target ";
        line += target;
    }
    return line;
}

}  // namespace tessaly::message
