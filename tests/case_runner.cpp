// The end-to-end cases: each table of tests/cases/ runs the built tools on files it lays out, and
// each case is a test of its own. The format is told at the head of tests/cases/corvane.cases.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "tests/spawn.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;
using lines = std::vector<std::string>;

struct test_case {
    std::string where;
    lines head;                                                // name, status, "$", the command
    std::map<char, lines> parts;                               // by their mark: | . ! the text
    std::map<std::string, std::string> before, after, options; // by file name, or option
};
void PrintTo(const test_case& c, std::ostream* out) { *out << c.where; }

// Words split at blanks; '...' holds blanks, \\, \t, \n and \xHH escape bytes.
lines split_words(const std::string& text)
{
    lines words;
    bool in_word = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i], next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (!quoted && c == ' ') {
            in_word = false;
            continue;
        }
        if (!in_word)
            words.emplace_back(), in_word = true;
        if (c == '\'')
            quoted = !quoted;
        else if (c == '\\' && next == 'x')
            words.back() += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)),
                i += 3;
        else if (c == '\\')
            words.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next, ++i;
        else
            words.back() += c;
    }
    return words;
}

// A line that ends in " \" goes on on the next one; "$NAME = TEXT" names a text that $NAME then
// stands for.
std::vector<test_case> load(const std::string& table)
{
    std::vector<test_case> cases;
    std::map<std::string, std::string> named;
    std::ifstream in(fs::path(CORVANE_TESTS) / "cases" / table);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        for (std::string more; line.ends_with(" \\") && std::getline(in, more); ++number)
            line.resize(line.size() - 1), line += more.substr(more.find_first_not_of(' '));
        if (const std::size_t is = line.find(" = "); line.starts_with('$')) {
            named["$" + line.substr(1, is - 1)] = line.substr(is + 3);
            continue;
        }
        for (const auto& [name, text] : named)
            for (std::size_t at = 0; (at = line.find(name, at)) != std::string::npos;)
                if (std::isalnum(static_cast<unsigned char>(line[at + name.size()])) ||
                    line[at + name.size()] == '_')
                    at += name.size();
                else
                    line.replace(at, name.size(), text), at += text.size();
        for (std::size_t from = 0, to = 0; from < line.size() && line[0] != '#'; from = to + 4) {
            to = std::min(line.find(" ;; ", from), line.size());
            const std::string part = line.substr(from, to - from),
                              text = part.substr(part.size() > 1 ? 2 : 1);
            const std::string key = text.substr(0, text.find(' ')),
                              rest = text.substr(std::min(key.size() + 1, text.size()));
            if (from == 0 && std::string_view("<=@|.!").find(part[0]) == std::string_view::npos)
                cases.push_back(
                    {table + ":" + std::to_string(number), split_words(part), {}, {}, {}, {}});
            else if (part[0] == '<' || part[0] == '=')
                (part[0] == '<' ? cases.back().before
                                : cases.back().after)[split_words(key).at(0)] = rest;
            else if (part[0] == '@')
                cases.back().options[key] = rest;
            else
                cases.back().parts[part[0]].push_back(text);
        }
    }
    return cases;
}

int run_quietly(const lines& argv, const fs::path& directory = "/")
{
    return run_process({argv, directory, "/dev/null", "/dev/null"});
}

// Whether a program a case runs the tool under works here, tried once.
bool usable(const std::string& program)
{
    static const std::map<std::string, lines> probes = {
        {"strace", {"strace", "-o", "/dev/null", "true"}},
        {"gdb", {"gdb", "-batch", "-nx", "-ex", "run", "true"}},
        {"flock", {"flock", "/", "true"}},
        {"prlimit", {"prlimit", "--fsize=1000", "true"}},
        {"unshare", {"unshare", "-m", "true"}},
        {"setpriv", {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "true"}}};
    static std::map<std::string, bool> known;
    if (!known.contains(program))
        known[program] = probes.contains(program) && run_quietly(probes.at(program)) == 0;
    return known[program];
}

// An expected line, where {*} stands for any text.
bool matches(const std::string& expected, const std::string& line)
{
    const std::size_t star = expected.find("{*}");
    if (star == std::string::npos || !line.starts_with(expected.substr(0, star)))
        return line == expected;
    for (std::size_t at = star; at <= line.size(); ++at)
        if (matches(expected.substr(star + 3), line.substr(at)))
            return true;
    return false;
}

lines read_lines(const fs::path& file)
{
    lines found;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        found.push_back(line);
    return found;
}

// The file's lines: `expected` exactly, or, `in_order`, in this order and the last one last.
void expect_lines(const lines& expected, const fs::path& file, bool in_order)
{
    const lines found = read_lines(file);
    std::size_t at = 0, k = 0;
    for (; k < expected.size() && at < found.size(); ++at)
        if (matches(expected[k], found[at]) && (k + 1 < expected.size() || at + 1 == found.size()))
            ++k;
        else if (!in_order)
            break;
    EXPECT_TRUE(k == expected.size() && at == found.size()) << file.filename() << " is\n"
                                                            << ::testing::PrintToString(found);
}

// The tools a case runs, by the words that name them: the built ones, or those of another build in
// CORVANE_TEST_TOOLS (the Windows build's .exe files under wine, say, which also has flock's
// counterpart). `windows` says which.
std::map<std::string, std::string> tools_for(const test_case& c, bool& windows)
{
    std::map<std::string, std::string> tools = {{"corvane", CORVANE_BINARY},
                                                {"corvane-verify", CORVANE_VERIFY_BINARY}};
    const char* other = std::getenv("CORVANE_TEST_TOOLS");
    windows = other != nullptr && fs::exists(fs::path(other) / "corvane.exe");
    if (windows && fs::exists(fs::path(other) / (c.head.at(3) + ".exe")))
        tools.emplace(c.head.at(3), "");
    for (auto& [word, path] : tools)
        path = other ? (fs::path(other) / (word + (windows ? ".exe" : ""))).string() : path;
    return tools;
}

// Why the case cannot run here, or nothing: a program it runs the tools under that does not work
// (against the Windows build, any such program that has no counterpart there; against tools this
// machine runs only under an emulator, the programs that drive them themselves), or a platform
// it is not for.
std::string skip_reason(const test_case& c, const std::map<std::string, std::string>& tools,
                        bool windows)
{
    static const bool emulated = run_quietly({tools.at("corvane")}) == -1;
    const std::string& first = c.head.at(3);
    for (const std::string& program :
         lines{tools.contains(first) ? "" : first, c.options.contains("gdb") ? "gdb" : ""}) {
        if (emulated && (program == "gdb" || program == "strace" || program == "setpriv"))
            return program + " cannot drive tools that run under an emulator";
        if (!program.empty() && (windows || !usable(program)))
            return program + " does not work here";
    }
    for (const char* only : {"posix", "windows"})
        if (c.options.contains(only) && windows != (only == std::string("windows")))
            return std::string(only) + " only: " + c.options.at(only);
    return "";
}

// The image_layout.py command that lays out the case's files, or checks them afterwards: a file
// laid out is checked to be as it was, unless the case says otherwise.
lines layout_command(const test_case& c, bool check)
{
    lines command = {CORVANE_PYTHON, "-S", CORVANE_TESTS "/image_layout.py",
                     check ? "check" : "make"};
    auto files = check ? c.after : std::map<std::string, std::string>{};
    files.insert(c.before.begin(), c.before.end());
    for (const auto& [file, layout] : files)
        command.insert(command.end(), {file, layout});
    return command;
}

// The command with the tools by their paths, the first behind a wrapper such as valgrind where one
// is given; under another user, from a copy that user can reach. %/ starts a path in the case's
// folder.
lines command_words(const test_case& c, const std::map<std::string, std::string>& tools,
                    const fs::path& root)
{
    const lines command(c.head.begin() + 3, c.head.end());
    const char* wrapper = c.options.contains("gdb") ? nullptr : std::getenv("CORVANE_TEST_WRAPPER");
    lines argv;
    for (const std::string& word : command) {
        if (!tools.contains(word)) {
            argv.push_back(word.starts_with("%/") ? (root / "work" / word.substr(2)).string()
                                                  : word);
            continue;
        }
        fs::path binary = tools.at(word);
        if (command[0] == "setpriv")
            fs::copy_file(binary, root / binary.filename()), binary = root / binary.filename();
        for (const std::string& w : split_words(wrapper ? wrapper : ""))
            argv.push_back(w);
        argv.push_back(binary.string());
        wrapper = nullptr;
    }
    return argv;
}

// Runs the command under gdb, as "@ gdb BREAK SKIP COMMAND" says: COMMAND runs at the hit of BREAK
// after SKIP hits. Returns the command's exit status, or -1.
int run_under_gdb(const test_case& c, const lines& argv, const fs::path& root)
{
    const std::string how = c.options.at("gdb");
    const std::size_t skip = how.find(' ') + 1, then = how.find(' ', skip) + 1;
    std::string run = "run";
    for (std::size_t i = 1; i < argv.size(); ++i)
        run += " " + argv[i];
    const lines gdb = split_words("gdb -batch -nx -ex 'break " + how.substr(0, skip - 1) +
                                  "' -ex 'ignore 1 " + how.substr(skip, then - skip - 1) +
                                  "' -ex '" + run + " >../out 2>../err' -ex '" + how.substr(then) +
                                  "' -ex delete -ex continue -ex 'print $_exitcode' " + argv[0]);
    run_process({gdb, root / "work", (root / "gdb").string(), (root / "gdb-err").string()});
    const lines log = read_lines(root / "gdb");
    return !log.empty() && log.back().starts_with("$1 = ") ? std::stoi(log.back().substr(5)) : -1;
}

class Case : public ::testing::TestWithParam<test_case> {};

TEST_P(Case, Runs)
{
    const test_case& c = GetParam();
    bool windows = false;
    const auto tools = tools_for(c, windows);
    if (const std::string why = skip_reason(c, tools, windows); !why.empty())
        GTEST_SKIP() << why;
    // A folder of the case's own: the tools run in work/, beside the runner's files.
    std::string name = (fs::temp_directory_path() / "corvane-XXXXXX").string();
    const fs::path root = ::mkdtemp(name.data()), work = root / "work";
    fs::create_directory(work);
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        run_quietly({"chattr", "-R", "-a", work.string()}); // an append-only file cannot be removed
        fs::remove_all(root);
    });
    if (const int made = run_quietly(layout_command(c, false), work); made == 77)
        GTEST_SKIP() << "cannot lay out " << ::testing::PrintToString(c.before) << " here";
    else
        ASSERT_EQ(made, 0) << ::testing::PrintToString(c.before);

    // No leak check under ptrace (ctest runs each case in a process of its own). Standard output
    // and error go to the runner's files, unless the case says otherwise (and their text is then
    // not checked).
    const lines argv = command_words(c, tools, root);
    if (!tools.contains(c.head.at(3)) || c.options.contains("gdb"))
        ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    const auto stream = [&](const std::string& which) {
        return c.options.contains("std" + which) ? c.options.at("std" + which)
                                                 : (root / which).string();
    };
    const int status = c.options.contains("gdb")
                           ? run_under_gdb(c, argv, root)
                           : run_process({argv, work, stream("out"), stream("err")});

    EXPECT_EQ(status, std::stoi(c.head.at(1)));
    std::map<char, lines> part = c.parts;
    if (!c.options.contains("stdout"))
        expect_lines(part['|'].empty() ? part['.'] : part['|'], root / "out", part['|'].empty());
    if (!c.options.contains("stderr"))
        expect_lines(part['!'], root / "err", false);
    EXPECT_EQ(run_process({layout_command(c, true), work, (root / "check").string(), "/dev/null"}),
              0)
        << ::testing::PrintToString(read_lines(root / "check"));
    std::set<fs::path> named; // the case's files, or the folders they are in
    for (const auto* files : {&c.before, &c.after})
        for (const auto& [file, layout] : *files)
            named.insert(*fs::path(file).begin());
    for (const auto& entry : fs::directory_iterator(work))
        EXPECT_TRUE(named.contains(entry.path().filename()))
            << entry.path().filename() << " appeared";
}

std::string case_name(const ::testing::TestParamInfo<test_case>& info)
{
    return info.param.head.at(0);
}
INSTANTIATE_TEST_SUITE_P(Corvane, Case, ::testing::ValuesIn(load("corvane.cases")), case_name);
INSTANTIATE_TEST_SUITE_P(Verify, Case, ::testing::ValuesIn(load("verify.cases")), case_name);

} // namespace
} // namespace corvane::testing
