#include "output/compilation_database.h"

#include <array>
#include <nlohmann/json.hpp>

#include "output/ascii_case.h"

namespace tessaly {

SourceLanguage sourceLanguage(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        return SourceLanguage::None;
    }
    const std::string_view extension = path.substr(dot + 1);
    if (equalIgnoringAsciiCase(extension, "c")) {
        return SourceLanguage::C;
    }
    static constexpr std::array<std::string_view, 5> kCpp{"cp", "cpp", "cc", "cxx", "c++"};
    for (std::string_view cpp : kCpp) {
        if (equalIgnoringAsciiCase(extension, cpp)) {
            return SourceLanguage::Cpp;
        }
    }
    return SourceLanguage::None;
}

std::vector<std::string> compileArguments(const TargetCompileSettings& target,
                                          const std::string& file, SourceLanguage language) {
    std::vector<std::string> arguments{language == SourceLanguage::C ? "cc" : "c++"};
    if (language == SourceLanguage::C && target.cFilesAsCpp) {
        arguments.insert(arguments.end(), {"-x", "c++"});
    }
    for (const std::string& folder : target.userIncludeFolders) {
        arguments.push_back("-I" + folder);
    }
    for (const std::string& folder : target.systemIncludeFolders) {
        arguments.push_back("-isystem" + folder);
    }
    for (const auto& [name, value] : target.macros) {
        arguments.push_back("-D" + name + "=" + value);
    }
    if (!target.prefixFiles.empty()) {
        // The IDE's own "#if __option(...)" tests read as off, as they do
        // where nothing is precompiled.
        arguments.push_back("-D__option(x)=0");
        for (const std::string& prefix : target.prefixFiles) {
            arguments.insert(arguments.end(), {"-include", prefix});
        }
    }
    arguments.insert(arguments.end(), {"-c", file});
    return arguments;
}

namespace {

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t utf8SequenceLength(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string validUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = utf8SequenceLength(bytes);
        if (length != 0) {
            text.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
            continue;
        }
        const auto latin1 = static_cast<unsigned char>(bytes.front());
        text.push_back(static_cast<char>(0xC0 | (latin1 >> 6)));
        text.push_back(static_cast<char>(0x80 | (latin1 & 0x3F)));
        bytes.remove_prefix(1);
    }
    return text;
}

std::string compilationDatabaseJson(const std::vector<CompileEntry>& entries) {
    nlohmann::ordered_json database = nlohmann::ordered_json::array();
    for (const CompileEntry& entry : entries) {
        nlohmann::ordered_json arguments = nlohmann::ordered_json::array();
        for (const std::string& argument : entry.arguments) {
            arguments.push_back(validUtf8(argument));
        }
        database.push_back({{"directory", validUtf8(entry.directory)},
                            {"file", validUtf8(entry.file)},
                            {"arguments", std::move(arguments)}});
    }
    return database.dump(2) + "\n";
}

}  // namespace tessaly
