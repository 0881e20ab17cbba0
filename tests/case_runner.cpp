// The end-to-end cases: each table of tests/cases/ runs the built tools on files it lays out, and
// each case is a test of its own. The format is told at the head of tests/cases/corvane.cases.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "tests/command_words.h"
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

// A table's lines as the cases read them: a line that ends in " \" goes on on the next one, and
// the whole keeps the number of its first line, where a failing case says it stands.
struct table_line {
    int number;
    std::string text;
};
std::vector<table_line> joined_lines(std::istream& in)
{
    std::vector<table_line> joined;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        joined.push_back({number, line});
        for (std::string more; joined.back().text.ends_with(" \\") && std::getline(in, more);
             ++number) {
            std::string& text = joined.back().text;
            text.resize(text.size() - 1);
            text += more.substr(more.find_first_not_of(' '));
        }
    }
    return joined;
}

// Each $NAME in the line replaced by the text it names, but where it is only the start of a
// longer word ($in does not stand in $input).
std::string with_names(std::string line, const std::map<std::string, std::string>& named)
{
    for (const auto& [name, text] : named) {
        for (std::size_t at = 0; (at = line.find(name, at)) != std::string::npos;) {
            const char next = at + name.size() < line.size() ? line[at + name.size()] : ' ';
            if (std::isalnum(static_cast<unsigned char>(next)) || next == '_') {
                at += name.size();
                continue;
            }
            line.replace(at, name.size(), text);
            at += text.size();
        }
    }
    return line;
}

// One part of a row: a head starts a case, a mark ("< = @ | . !") adds to the case before it.
void add_part(std::vector<test_case>& cases, const std::string& where, const std::string& part)
{
    const char mark = part[0];
    if (std::string_view("<=@|.!").find(mark) == std::string_view::npos) {
        cases.push_back({where, split_words(part), {}, {}, {}, {}});
        return;
    }
    const std::string text = part.substr(part.size() > 1 ? 2 : 1);
    const std::string key = text.substr(0, text.find(' '));
    const std::string rest = text.substr(std::min(key.size() + 1, text.size()));
    test_case& c = cases.back();
    if (mark == '<')
        c.before[split_words(key).at(0)] = rest;
    else if (mark == '=')
        c.after[split_words(key).at(0)] = rest;
    else if (mark == '@')
        c.options[key] = rest;
    else
        c.parts[mark].push_back(text);
}

// The cases of a table: "$NAME = TEXT" names a text, "#" starts a comment, and any other line
// holds parts behind " ;; ".
std::vector<test_case> read_cases(std::istream& in, const std::string& table)
{
    std::vector<test_case> cases;
    // What the rules say, named for every table: a type code of no kind, and the kinds' codes.
    std::map<std::string, std::string> named = {
        {"$no_kind", testing::hex(testing::free_type_code())},
        {"$type_codes", testing::listed_type_codes()}};
    for (const table_line& line : joined_lines(in)) {
        if (const std::size_t is = line.text.find(" = "); line.text.starts_with('$')) {
            named[line.text.substr(0, is)] = line.text.substr(is + 3);
            continue;
        }
        if (line.text.empty() || line.text.starts_with('#'))
            continue;
        const std::string text = with_names(line.text, named);
        const std::string where = table + ":" + std::to_string(line.number);
        for (std::size_t from = 0, to = 0; from < text.size(); from = to + 4) {
            to = std::min(text.find(" ;; ", from), text.size());
            add_part(cases, where, text.substr(from, to - from));
        }
    }
    return cases;
}

std::vector<test_case> load(const std::string& table)
{
    std::ifstream in(fs::path(CORVANE_TESTS) / "cases" / table);
    return read_cases(in, table);
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
        {"sh", {"sh", "-c", "true"}},
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

// The file's lines: `expected` exactly, or, `in_order`, in this order and the last one last. A
// failure names the first line that is not as expected, what it should be, and all there is.
void expect_lines(const lines& expected, const fs::path& file, bool in_order)
{
    const lines found = read_lines(file);
    std::string wrong;
    if (!in_order) {
        for (std::size_t at = 0; wrong.empty() && at < std::max(found.size(), expected.size());
             ++at)
            if (at >= found.size() || at >= expected.size() || !matches(expected[at], found[at]))
                wrong = "line " + std::to_string(at + 1) + " is " +
                        (at < found.size() ? "'" + found[at] + "'" : "missing") + ", " +
                        (at < expected.size() ? "'" + expected[at] + "'" : "nothing") + " expected";
    } else {
        std::size_t k = 0;
        for (std::size_t at = 0; k < expected.size() && at < found.size(); ++at)
            if (matches(expected[k], found[at]) &&
                (k + 1 < expected.size() || at + 1 == found.size()))
                ++k;
        if (k < expected.size())
            wrong = "no line '" + expected[k] + "'" +
                    (k > 0 ? " after '" + expected[k - 1] + "'" : "") +
                    (k + 1 == expected.size() ? " at its end" : "");
    }
    EXPECT_EQ(wrong, "") << file.filename().string() << " is\n" << ::testing::PrintToString(found);
}

// The tools a case runs, by the words that name them: the built ones, or those of another build in
// CORVANE_TEST_TOOLS (the Windows build's .exe files under wine, say, which also has flock's
// counterpart). `windows` says which.
std::map<std::string, std::string> tools_for(const test_case& c, bool& windows)
{
    std::map<std::string, std::string> tools = {{"corvane", CORVANE_BINARY},
                                                {"corvane-stamp", CORVANE_STAMP_BINARY},
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
         lines{tools.contains(first) ? "" : first, c.options.contains("gdb") ? "gdb" : "",
               c.options.contains("needs") ? c.options.at("needs") : ""}) {
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
// folder, %tests/ one in tests/.
lines command_words(const test_case& c, const std::map<std::string, std::string>& tools,
                    const fs::path& root)
{
    const lines command(c.head.begin() + 3, c.head.end());
    const char* wrapper = c.options.contains("gdb") ? nullptr : std::getenv("CORVANE_TEST_WRAPPER");
    lines argv;
    for (const std::string& word : command) {
        if (!tools.contains(word)) {
            argv.push_back(word.starts_with("%/")        ? (root / "work" / word.substr(2)).string()
                           : word.starts_with("%tests/") ? CORVANE_TESTS + word.substr(6)
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

// Runs the command under gdb, as "@ gdb BREAK SKIP COMMAND" says: COMMAND runs at the call of the
// function BREAK that follows SKIP calls. Returns the command's exit status, or -1.
int run_under_gdb(const test_case& c, const lines& argv, const fs::path& root)
{
    const lines how = split_words(c.options.at("gdb"));
    std::string run = "run";
    for (std::size_t i = 1; i < argv.size(); ++i)
        run += " " + argv[i];
    std::string command = c.options.at("gdb");
    command.erase(0, command.find(' ', how.at(0).size() + 1) + 1);
    // A fault the tool handles itself (a mapped file that shrank) is passed to it.
    lines gdb = {"gdb", "-batch", "-nx", "-ex", "handle SIGBUS nostop noprint pass"};
    for (const std::string& step :
         {"break " + how.at(0), "ignore 1 " + how.at(1), run + " >../out 2>../err", command,
          std::string("delete"), std::string("continue"), std::string("print $_exitcode")})
        gdb.insert(gdb.end(), {"-ex", step});
    gdb.push_back(argv[0]);
    run_process({gdb, root / "work", (root / "gdb").string(), (root / "gdb-err").string()});
    const lines log = read_lines(root / "gdb");
    EXPECT_TRUE(
        std::ranges::any_of(log, [](const auto& l) { return l.starts_with("Breakpoint 1, "); }))
        << "the injection did not happen: " << how.at(0) << " was not called after " << how.at(1)
        << " calls";
    const std::size_t is = log.empty() ? std::string::npos : log.back().find(" = ");
    return is != std::string::npos && log.back().starts_with('$')
               ? std::stoi(log.back().substr(is + 3))
               : -1;
}

class Case : public ::testing::TestWithParam<test_case> {};

TEST_P(Case, Runs)
{
    const test_case& c = GetParam();
    SCOPED_TRACE(c.where);
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
    const auto given = [&](const std::string& which) {
        return c.options.contains("std" + which) ? c.options.at("std" + which) : "";
    };
    const auto stream = [&](const std::string& which) {
        const std::string file = (root / which).string();
        return given(which).empty() ? file : given(which) == "pipe" ? "pipe " + file : given(which);
    };
    const int status = c.options.contains("gdb")
                           ? run_under_gdb(c, argv, root)
                           : run_process({argv, work, stream("out"), stream("err")});

    EXPECT_EQ(status, std::stoi(c.head.at(1))) << "exit status";
    std::map<char, lines> part = c.parts;
    if (given("out").empty() || given("out") == "pipe")
        expect_lines(part['|'].empty() ? part['.'] : part['|'], root / "out", part['|'].empty());
    if (given("err").empty() || given("err") == "pipe")
        expect_lines(part['!'], root / "err", false);
    const std::string check = (root / "check").string();
    EXPECT_EQ(run_process({layout_command(c, true), work, "/dev/null", check}), 0)
        << ::testing::PrintToString(read_lines(check));
    std::set<fs::path> named; // the case's files, and the folders they are in
    for (const auto* files : {&c.before, &c.after})
        for (const auto& [file, layout] : *files)
            for (fs::path path = file; !path.empty(); path = path.parent_path())
                named.insert(path);
    for (const auto& entry :
         fs::recursive_directory_iterator(work, fs::directory_options::skip_permission_denied))
        EXPECT_TRUE(named.contains(entry.path().lexically_relative(work)))
            << entry.path().lexically_relative(work) << " appeared";
}

std::string case_name(const ::testing::TestParamInfo<test_case>& info)
{
    return info.param.head.at(0);
}
INSTANTIATE_TEST_SUITE_P(Corvane, Case, ::testing::ValuesIn(load("corvane.cases")), case_name);
INSTANTIATE_TEST_SUITE_P(Verify, Case, ::testing::ValuesIn(load("verify.cases")), case_name);
INSTANTIATE_TEST_SUITE_P(Stamp, Case, ::testing::ValuesIn(load("stamp.cases")), case_name);

} // namespace
} // namespace corvane::testing
