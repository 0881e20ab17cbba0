// A command line for a tool's parser, as main() gets it: the words, writable, the program first.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace corvane::testing {

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

} // namespace corvane::testing
