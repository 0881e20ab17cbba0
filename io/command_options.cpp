#include "io/command_options.h"

#include <getopt.h>

#include <iterator>

namespace corvane {

bool command_line::given(int code) const noexcept
{
    return code >= 0 && static_cast<std::size_t>(code) < given_codes.size() &&
           given_codes.test(static_cast<std::size_t>(code));
}

const char* command_line::value(int code) const noexcept
{
    return given(code) ? values[static_cast<std::size_t>(code)] : nullptr;
}

command_line read_command_line(std::span<char*> args, const char* tool, const char* own_short,
                               std::span<const long_option> own_long,
                               std::string (*printable)(std::string_view))
{
    static constexpr long_option common[] = {
        {"kind", true, 't'},      {"size", true, 's'},  {"image-version", true, 'v'},
        {"device-id", true, 'i'}, {"help", false, 'h'}, {"version", false, 'V'},
    };
    option table[24] = {};
    std::size_t n = 0;
    for (const auto& list : {std::span<const long_option>(common), own_long})
        for (const long_option& o : list)
            if (n + 1 < std::size(table))
                table[n++] = {o.name, o.takes_value ? required_argument : no_argument, nullptr,
                              o.code};
    const std::string short_options = std::string(":t:s:v:i:hV") + own_short;
    const std::string name = std::string(tool) + ": ";
    const std::string try_help = "Try '" + std::string(tool) + " --help' for more information.\n";
    const auto refused = [&](std::string why) {
        command_line line;
        line.refusal = name + std::move(why);
        return line;
    };
    const auto long_name = [&](int code) {
        std::string text = code < 256 ? std::string("-") + static_cast<char>(code) : "";
        for (std::size_t i = 0; i < n; ++i)
            if (table[i].val == code)
                text += (text.empty() ? "--" : "/--") + std::string(table[i].name);
        return text;
    };

    command_line line;
    line.action = command_action::run;
    opterr = 0;
    optind = 0; // getopt starts afresh, on every platform's getopt
    for (int c; (c = getopt_long(static_cast<int>(args.size()), args.data(), short_options.c_str(),
                                 table, nullptr)) != -1;) {
        // Said here, so that the message reads the same on every platform.
        if (c == ':' || c == '?') {
            const char* word = args[static_cast<std::size_t>(optind - 1)];
            if (c == ':')
                return refused("option '" + printable(word) + "' needs a value\n" + try_help);
            if (word[0] == '-' && word[1] == '-')
                return refused("unrecognized option '" + printable(word) + "'\n" + try_help);
            return refused("invalid option -- '" +
                           printable(std::string(1, static_cast<char>(optopt))) + "'\n" + try_help);
        }
        const auto code = static_cast<std::size_t>(c);
        if (code >= line.given_codes.size() || line.given_codes.test(code))
            return refused(long_name(c) + " is given twice\n" + try_help);
        line.given_codes.set(code);
        line.values[code] = optarg;
        // The size waits for the kind, whose unit it is in.
        if (c == 't' || c == 'v' || c == 'i')
            if (const std::string rule = read_strict_word(static_cast<char>(c), optarg, line.words);
                !rule.empty())
                return refused(std::string(strict_option_name(static_cast<char>(c))) + " '" +
                               printable(optarg) + "': " + rule + "\n");
    }
    if (const char* size = line.value('s'))
        if (const std::string rule = read_strict_word('s', size, line.words); !rule.empty())
            return refused(std::string(strict_option_name('s')) + " '" + printable(size) +
                           "': " + rule + "\n");
    // Alone, or the run would answer for files it never read: "-q --version 1.0.0.2101 x.bin" is
    // a slip for --image-version.
    const bool help = line.given('h');
    if ((help || line.given('V')) && args.size() != 2)
        return refused(help ? "--help takes no other word\n" + try_help
                            : "--version takes no other word (the image's version is -v or "
                              "--image-version)\n" +
                                  try_help);
    line.action = help              ? command_action::help
                  : line.given('V') ? command_action::version
                                    : command_action::run;
    line.operands = args.subspan(static_cast<std::size_t>(optind));
    return line;
}

} // namespace corvane
