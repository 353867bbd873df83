#include "cwproject/macro_definitions.h"

#include <algorithm>

#include "cwproject/line_ends.h"

namespace tessaly {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$';
}

// The identifier at the start of `text`, taken off it.
std::string_view takeIdentifier(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && isIdentifierChar(text[end])) {
        ++end;
    }
    if (end > 0 && text[0] >= '0' && text[0] <= '9') {
        end = 0;  // no identifier starts with a digit
    }
    const std::string_view identifier = text.substr(0, end);
    text.remove_prefix(end);
    return identifier;
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
}

// The text with each run of blanks made one blank, and none at either end.
std::string collapsedBlanks(std::string_view text) {
    std::string result;
    bool blank = false;
    for (const char c : text) {
        if (isBlank(c)) {
            blank = !result.empty();
        } else {
            if (blank) {
                result += ' ';
            }
            blank = false;
            result += c;
        }
    }
    return result;
}

// Removes the macro of that identifier, also with a parameter list.
void undefine(Macros& macros, std::string_view identifier) {
    const std::string name(identifier);
    macros.erase(name);
    for (auto it = macros.lower_bound(name + "(");
         it != macros.end() && it->first.starts_with(name + "(");) {
        it = macros.erase(it);
    }
}

void define(Macros& macros, std::string_view identifier, std::string head, std::string value) {
    undefine(macros, identifier);
    macros[std::move(head)] = std::move(value);
}

// The prefix text as the preprocessor sees its lines: every line end (CR
// LF, CR or LF) one LF, a backslash before a line end joining the lines,
// and each comment one blank. Quoted texts are kept whole.
std::string logicalLines(std::string_view text) {
    const std::string lines = withLfLineEnds(text);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == '\\' && i + 1 < lines.size() && lines[i + 1] == '\n') {
            ++i;
        } else {
            joined += lines[i];
        }
    }
    std::string result;
    char quote = 0;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        const char c = joined[i];
        const char next = i + 1 < joined.size() ? joined[i + 1] : '\0';
        if (quote != 0) {
            result += c;
            if (c == '\\' && next != '\0' && next != '\n') {
                result += next;
                ++i;
            } else if (c == quote || c == '\n') {
                quote = 0;
            }
        } else if (c == '/' && next == '*') {
            const std::size_t end = joined.find("*/", i + 2);
            i = end == std::string::npos ? joined.size() : end + 1;
            result += ' ';
        } else if (c == '/' && next == '/') {
            while (i + 1 < joined.size() && joined[i + 1] != '\n') {
                ++i;
            }
            result += ' ';
        } else {
            if (c == '"' || c == '\'') {
                quote = c;
            }
            result += c;
        }
    }
    return result;
}

void applyDirective(std::string_view line, Macros& macros) {
    skipBlanks(line);
    if (line.empty() || line.front() != '#') {
        return;
    }
    line.remove_prefix(1);
    skipBlanks(line);
    const std::string_view directive = takeIdentifier(line);
    if (directive != "define" && directive != "undef") {
        return;
    }
    skipBlanks(line);
    const std::string_view identifier = takeIdentifier(line);
    if (identifier.empty()) {
        return;
    }
    if (directive == "undef") {
        undefine(macros, identifier);
        return;
    }
    std::string head(identifier);
    if (!line.empty() && line.front() == '(') {  // a parameter list, written without blanks
        const std::size_t close = line.find(')');
        if (close == std::string_view::npos) {
            return;
        }
        for (const char c : line.substr(0, close + 1)) {
            if (!isBlank(c)) {
                head += c;
            }
        }
        line.remove_prefix(close + 1);
    }
    define(macros, identifier, std::move(head), collapsedBlanks(line));
}

// The options of a command line, quotes dropped.
std::vector<std::string> commandLineOptions(std::string_view commandLine) {
    std::vector<std::string> options;
    std::string option;
    bool quoted = false;
    bool inOption = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '"') {
            if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                option += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            inOption = true;
        } else if (!quoted && (isBlank(c) || c == '\r' || c == '\n')) {
            if (inOption) {
                options.push_back(std::move(option));
                option.clear();
            }
            inOption = false;
        } else {
            option += c;
            inOption = true;
        }
    }
    if (inOption) {
        options.push_back(std::move(option));
    }
    return options;
}

void applyDefinition(std::string_view definition, Macros& macros) {
    const std::size_t equals = definition.find('=');
    std::string_view name = definition.substr(0, equals);
    std::string_view rest = name;
    const std::string_view identifier = takeIdentifier(rest);
    if (identifier.empty() || !rest.empty()) {
        return;  // not a macro name
    }
    const std::string value = equals == std::string_view::npos
                                  ? std::string()
                                  : std::string(definition.substr(equals + 1));
    define(macros, identifier, std::string(identifier), value);
}

}  // namespace

void definePrefixTextMacros(std::string_view text, Macros& macros) {
    const std::string lines = logicalLines(text);
    std::string_view rest = lines;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        applyDirective(rest.substr(0, end), macros);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
}

void defineCommandLineMacros(std::string_view commandLine, Macros& macros) {
    const std::vector<std::string> options = commandLineOptions(commandLine);
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option.size() < 2 || option[0] != '-' || (option[1] != 'D' && option[1] != 'd')) {
            continue;
        }
        if (option.size() > 2) {
            applyDefinition(std::string_view(option).substr(2), macros);
        } else if (i + 1 < options.size()) {
            applyDefinition(options[++i], macros);
        }
    }
}

}  // namespace tessaly
