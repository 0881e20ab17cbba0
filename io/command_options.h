#pragma once

#include <bitset>
#include <span>
#include <string>

namespace corvane {

// An option a tool takes by a long name: --NAME, or --NAME VALUE where it takes a value. `code` is
// what next() gives for it: its short letter where it has one.
struct long_option {
    const char* name;
    bool takes_value;
    int code;
};

// The options of a command line, GNU style (getopt_long): short ones in clusters, long ones by
// any unambiguous start, --NAME=VALUE, options and operands in any order, "--" ending the
// options. Started afresh for each reader, so that a tool's parser can be called again (a test,
// a fuzz target); one reader at a time.
class option_reader {
public:
    option_reader(std::span<char*> args, const char* tool, const char* short_options,
                  std::span<const long_option> long_options) noexcept;
    // The next option's code and its value; 0 after the last one; -1 for a word that is not one
    // of the options, that needs a value, or that gives an option given before (whose last value
    // would silently win), with `refusal` saying so ("TOOL: unrecognized option '--x'", "TOOL:
    // invalid option -- 'x'", "TOOL: option '-s' needs a value", "TOOL: -t/--kind is given
    // twice") and the line that points to --help. The words a refusal repeats are written fit for a
    // terminal by `printable`.
    [[nodiscard]] int next(const char*& value, std::string& refusal,
                           std::string (*printable)(std::string_view)) noexcept;
    // The words after the options, once next() gave 0.
    [[nodiscard]] std::span<char*> operands() const noexcept;

private:
    std::span<char*> args_;
    const char* tool_;
    std::string short_options_;
    std::span<const long_option> long_options_;
    int index_ = 0;
    std::bitset<512> given_; // the codes given so far
};

} // namespace corvane
