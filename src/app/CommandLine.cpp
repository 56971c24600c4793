// Command-line splitting. Every test is on single bytes, but the second byte
// of a double-byte character is skipped together with its lead byte, so a
// character whose second byte is a quote or a blank never ends an argument.
#include "app/CommandLine.h"

#include <cstddef>

#include "text/TextRules.h"

namespace {

bool IsSeparator(unsigned char byte) {
    return byte < '!';
}

// The index just past the character that starts at `at`.
std::size_t NextCharacter(const Text& text, std::size_t at) {
    if (IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size()) {
        return at + 2;
    }
    return at + 1;
}

// Where the arguments begin: past the program's own name and the one blank
// (or closing quote and one blank) that ends it.
std::size_t SkipProgramName(const Text& line) {
    std::size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        at = 1;
        while (at < line.size() && line[at] != '"') {
            at = NextCharacter(line, at);
        }
        if (at < line.size()) {
            ++at; // the closing quote
        }
        if (at < line.size() && line[at] == ' ') {
            ++at;
        }
        return at;
    }
    while (at < line.size() && line[at] != ' ') {
        at = NextCharacter(line, at);
    }
    if (at < line.size()) {
        ++at; // the blank
    }
    return at;
}

} // namespace

TextArray SplitCommandLine(const Text& commandLine) {
    TextArray arguments;
    const Text& line = commandLine;
    std::size_t at = SkipProgramName(line);
    while (at < line.size()) {
        const unsigned char byte = static_cast<unsigned char>(line[at]);
        if (IsSeparator(byte)) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        if (byte == '"') {
            // Runs to the next quote; an unclosed quote runs to the end.
            at = start + 1;
            while (at < line.size() && line[at] != '"') {
                at = NextCharacter(line, at);
            }
            arguments.push_back(line.substr(start + 1, at - start - 1));
            if (at < line.size()) {
                ++at;
            }
            continue;
        }
        while (at < line.size() && !IsSeparator(static_cast<unsigned char>(line[at])) &&
               line[at] != '"') {
            at = NextCharacter(line, at);
        }
        arguments.push_back(line.substr(start, at - start));
    }
    return arguments;
}
