#include "io/command_options.h"

#include <getopt.h>

#include <iterator>

namespace corvane {

option_reader::option_reader(std::span<char*> args, const char* tool, const char* short_options,
                             std::span<const long_option> long_options) noexcept
    : args_(args), tool_(tool), short_options_(std::string(":") + short_options),
      long_options_(long_options)
{
    opterr = 0;
    optind = 0; // getopt starts afresh, on every platform's getopt
}

int option_reader::next(const char*& value, std::string& refusal,
                        std::string (*printable)(std::string_view)) noexcept
{
    option table[16] = {};
    for (std::size_t i = 0; i < long_options_.size() && i + 1 < std::size(table); ++i)
        table[i] = {long_options_[i].name,
                    long_options_[i].takes_value ? required_argument : no_argument, nullptr,
                    long_options_[i].code};
    const int c = getopt_long(static_cast<int>(args_.size()), args_.data(), short_options_.c_str(),
                              table, nullptr);
    value = optarg;
    index_ = optind;
    if (c == -1)
        return 0;
    // Said here, so that the message reads the same on every platform.
    const std::string tool = std::string(tool_) + ": ";
    const std::string try_help = "Try '" + std::string(tool_) + " --help' for more information.\n";
    if (c != ':' && c != '?' && (c < 0 || static_cast<std::size_t>(c) >= given_.size()))
        return c;
    if (c != ':' && c != '?' && !given_.test(static_cast<std::size_t>(c))) {
        given_.set(static_cast<std::size_t>(c));
        return c;
    }
    if (c != ':' && c != '?') {
        std::string name = c < 256 ? std::string("-") + static_cast<char>(c) : "";
        for (const long_option& option : long_options_)
            if (option.code == c)
                name += (name.empty() ? "--" : "/--") + std::string(option.name);
        refusal = tool + name + " is given twice\n" + try_help;
        return -1;
    }
    const char* word = args_[static_cast<std::size_t>(optind - 1)];
    if (c == ':')
        refusal = tool + "option '" + printable(word) + "' needs a value\n";
    else if (word[0] == '-' && word[1] == '-')
        refusal = tool + "unrecognized option '" + printable(word) + "'\n";
    else
        refusal = tool + "invalid option -- '" +
                  printable(std::string(1, static_cast<char>(optopt))) + "'\n";
    refusal += try_help;
    return -1;
}

std::span<char*> option_reader::operands() const noexcept
{
    return args_.subspan(static_cast<std::size_t>(index_));
}

} // namespace corvane
