// The end-to-end cases: each table of tests/cases/ runs the built tools on files it lays out, and
// each case is a test of its own. The format is told at the head of tests/cases/corvane.cases.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

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

// Words split at blanks; '...' holds blanks, \\, \t, \n and \xHH escape bytes, and {N*c} stands
// for N copies of the character c.
lines split_words(const std::string& text)
{
    lines words;
    bool in_word = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i], next = i + 1 < text.size() ? text[i + 1] : '\0';
        unsigned long count = 0;
        int used = 0;
        char repeated = 0;
        if (!quoted && c == ' ') {
            in_word = false;
            continue;
        }
        if (!in_word)
            words.emplace_back(), in_word = true;
        if (c == '\'')
            quoted = !quoted;
        else if (c == '{' && std::sscanf(&text[i], "{%lu*%c}%n", &count, &repeated, &used) == 2)
            words.back().append(count, repeated), i += static_cast<std::size_t>(used) - 1;
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

std::vector<test_case> load(const std::string& table)
{
    std::vector<test_case> cases;
    std::ifstream in(fs::path(CORVANE_TESTS) / "cases" / table);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
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
        {"stdbuf", {"stdbuf", "-o0", "true"}},
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

// The file's lines: `expected` exactly, or, `in_order`, in this order and the last one last.
lines read_lines(const fs::path& file)
{
    lines found;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        found.push_back(line);
    return found;
}

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

class Case : public ::testing::TestWithParam<test_case> {};

TEST_P(Case, Runs)
{
    const test_case& c = GetParam();
    // The built tools, or those of another build in CORVANE_TEST_TOOLS: the Windows build's
    // .exe files under wine, say, where a case that needs POSIX is skipped.
    const char* other = std::getenv("CORVANE_TEST_TOOLS");
    const bool windows = other && fs::exists(fs::path(other) / "corvane.exe");
    std::map<std::string, std::string> tools = {{"corvane", CORVANE_BINARY},
                                                {"corvane-verify", CORVANE_VERIFY_BINARY}};
    const lines command(c.head.begin() + 3, c.head.end());
    if (windows && fs::exists(fs::path(other) / (command[0] + ".exe"))) // flock's counterpart
        tools.emplace(command[0], "");
    for (auto& [word, path] : tools)
        path = other ? (fs::path(other) / (word + (windows ? ".exe" : ""))).string() : path;
    const bool under_another = !tools.contains(command.at(0)),
               under_gdb = c.options.contains("gdb");
    for (const std::string& program :
         lines{under_another ? command[0] : "", under_gdb ? "gdb" : ""})
        if (!program.empty() && (windows || !usable(program)))
            GTEST_SKIP() << program << " does not work here";
    for (const char* only : {"posix", "windows"})
        if (c.options.contains(only) && windows != (only == std::string("windows")))
            GTEST_SKIP() << only << " only: " << c.options.at(only);

    std::string name = (fs::temp_directory_path() / "corvane-XXXXXX").string();
    const fs::path root = ::mkdtemp(name.data()), work = root / "work";
    fs::create_directory(work);
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        if (c.before.size() > 0) // an append-only file cannot be removed
            run_quietly({"chattr", "-R", "-a", work.string()});
        fs::remove_all(root);
    });
    // Laid out, and checked afterwards, by image_layout.py; a file laid out is checked to be as it
    // was, unless the case says otherwise.
    lines make = {CORVANE_PYTHON, "-S", CORVANE_TESTS "/image_layout.py", "make"};
    lines check = {CORVANE_PYTHON, "-S", CORVANE_TESTS "/image_layout.py", "check"};
    std::map<std::string, std::string> after = c.after;
    for (const auto& [file, layout] : c.before)
        make.insert(make.end(), {file, layout}), after.emplace(file, layout);
    for (const auto& [file, layout] : after)
        check.insert(check.end(), {file, layout});
    if (const int made = run_quietly(make, work); made == 77)
        GTEST_SKIP() << "cannot lay out " << ::testing::PrintToString(c.before) << " here";
    else
        ASSERT_EQ(made, 0) << ::testing::PrintToString(c.before);

    // The tools by their built paths, the first behind a wrapper such as valgrind where one is
    // given; under another user, from a copy that user can reach. %/ starts a path in the case's
    // folder.
    lines argv;
    const char* wrapper = under_gdb ? nullptr : std::getenv("CORVANE_TEST_WRAPPER");
    for (const std::string& word : command) {
        if (!tools.contains(word)) {
            argv.push_back(word.starts_with("%/") ? (work / word.substr(2)).string() : word);
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
    process p{argv, work, root / "err",
              c.options.contains("stdout") ? c.options.at("stdout") : (root / "out").string()};
    // No leak check under ptrace, nor a complaint about stdbuf's preloaded library (ctest runs
    // each case in a process of its own).
    if (under_another || under_gdb)
        ::setenv("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0", 1);
    if (under_gdb) { // "BREAK SKIP COMMAND": COMMAND runs at the hit of BREAK after SKIP hits
        const std::string how = c.options.at("gdb");
        const std::size_t skip = how.find(' ') + 1, then = how.find(' ', skip) + 1;
        std::string run = "run";
        for (std::size_t i = 1; i < argv.size(); ++i)
            run += " " + argv[i];
        p.argv = split_words("gdb -batch -nx -ex 'break " + how.substr(0, skip - 1) +
                             "' -ex 'ignore 1 " + how.substr(skip, then - skip - 1) + "' -ex '" +
                             run + " >../out 2>../err' -ex '" + how.substr(then) +
                             "' -ex delete -ex continue -ex 'print $_exitcode' " + argv[0]);
        p.out = (root / "gdb").string(), p.err = root / "gdb-err";
    }
    int status = run_process(p);
    if (const lines log = read_lines(root / "gdb"); under_gdb)
        status =
            !log.empty() && log.back().starts_with("$1 = ") ? std::stoi(log.back().substr(5)) : -1;

    EXPECT_EQ(status, std::stoi(c.head.at(1)));
    std::map<char, lines> part = c.parts;
    if (!c.options.contains("stdout"))
        expect_lines(part['|'].empty() ? part['.'] : part['|'], root / "out", part['|'].empty());
    expect_lines(part['!'], root / "err", false);
    EXPECT_EQ(run_process({check, work, root / "check", "/dev/null"}), 0)
        << ::testing::PrintToString(read_lines(root / "check"));
    for (const auto& entry : fs::directory_iterator(work))
        EXPECT_TRUE(after.contains(entry.path().filename().string()))
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
