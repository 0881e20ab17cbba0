// Words the tests share: a command line for a tool's parser, and what the rules say of type codes.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "image/image_kinds.h"

namespace corvane::testing {

// A command line as main() gets it: the words, writable, the program first.
struct command_words {
    command_words(const char* program, const std::vector<std::string>& rest) : words{program}
    {
        words.insert(words.end(), rest.begin(), rest.end());
        for (std::string& word : words)
            args.push_back(word.data());
    }
    std::vector<std::string> words;
    std::vector<char*> args;
};

inline std::string hex(unsigned value)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%x", value);
    return digits;
}

// The highest type code no kind of the rules has, for the rows about a type code of no kind.
inline std::uint8_t free_type_code()
{
    std::uint8_t code = 255;
    while (kind_of_type_code(code) != nullptr)
        --code;
    return code;
}

// The kinds' type codes as a report lists them: "0x0, 0x2, ...".
inline std::string listed_type_codes()
{
    std::string codes;
    for (const image_kind& kind : image_type_table)
        codes += (codes.empty() ? "0x" : ", 0x") + hex(kind.type_code);
    return codes;
}

} // namespace corvane::testing
