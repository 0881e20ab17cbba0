// The checker: its pure core in a table, then the built tool over images that corvane stamped,
// with zlib as the oracle for every checksum it reports.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <functional>
#include <map>

#include "image/crc_engine.h"
#include "image/image_header.h"
#include "tests/harness.h"
#include "verify/verify_image.h"

namespace corvane::testing {
namespace {

TEST(VerifyCore, FailedChecksInOrder)
{
    using c = image_check;
    constexpr std::uint64_t signature = 0x5A545F464C415348; // "ZT_FLASH"
    const struct {
        const char* name;
        std::uint64_t length;
        std::function<void(image_header&)> change;
        std::vector<failed_check> failed;
    } cases[] = {
        {"valid", 4096, [](image_header&) {}, {}},
        {"empty", 0, nullptr, {{c::min_length, 0, 72}}},
        {"71 bytes", 71, nullptr, {{c::min_length, 71, 72}, {c::length_unit, 71, 2048}}},
        {"off the unit",
         4097,
         [](image_header&) {},
         {{c::length_unit, 4097, 2048}, {c::size_field, 4096, 4097}}},
        {"no signature: no field is judged",
         4096,
         [](image_header& h) {
             h = {};
             h.bytes[0] = 'z';
         },
         {{c::signature, 0x7A00000000000000, signature}}},
        {"type 1",
         4096,
         [](image_header& h) { h.bytes[header_field::type] = 1; },
         {{c::type_code, 1, 0}}},
        {"type 7",
         4096,
         [](image_header& h) { h.bytes[header_field::type] = 7; },
         {{c::type_code, 7, 0}}},
        {"size",
         4096,
         [](image_header& h) { h.bytes[header_field::size + 1] = 0x08; },
         {{c::size_field, 0x800, 4096}}},
        {"device id",
         4096,
         [](image_header& h) { h.bytes[header_field::device_id] = 0x41; },
         {{c::device_id, 0x8641, 0}}},
        {"crc", 4096, [](image_header& h) { set_header_crc(h, 0); }, {{c::checksum, 0, 0xC0FFEE}}},
        {"every field",
         4096,
         [](image_header& h) { build_image_header(h, 1, {}, 0, 0x8000); },
         {{c::type_code, 1, 0},
          {c::size_field, 0, 4096},
          {c::device_id, 0x8000, 0},
          {c::checksum, 0, 0xC0FFEE}}},
    };
    for (const auto& k : cases) {
        image_header header{};
        build_image_header(header, 2, {1, 0, 0, 21, 1}, 4096, 0x8640);
        set_header_crc(header, 0xC0FFEE);
        if (k.change)
            k.change(header);
        const image_verdict v = verify_image(k.length, k.change ? &header : nullptr, 0xC0FFEE);
        EXPECT_EQ(std::vector(v.failures().begin(), v.failures().end()), k.failed) << k.name;
        EXPECT_EQ(v.valid(), k.failed.empty()) << k.name;
    }
}

const fs::path verify_binary = CORVANE_VERIFY_BINARY;

run_result run_verify(const scratch_dir& dir, const words& args, const std::string& prefix = "")
{
    return run_program(verify_binary, dir, args, prefix);
}

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string crc_reason(std::uint32_t stored, std::uint32_t computed)
{
    char text[64];
    std::snprintf(text, sizeof text, "INVALID: CRC 0x%08x stored, 0x%08x computed\n", stored,
                  computed);
    return text;
}

// Stamps `kind` with corvane from 1,000 counting bytes into a 4 KB image, in dir.work.
bytes stamp(const scratch_dir& dir, const std::string& kind, const std::string& file)
{
    write_file(dir.work / file, counting(1000));
    EXPECT_EQ(run_tool(dir, command_line(kind, "4")).status, 0) << kind;
    return read_file(dir.work / file);
}

// Every file of the directory, to show that a check changed none of them.
std::map<fs::path, bytes> contents(const fs::path& dir)
{
    std::map<fs::path, bytes> all;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            all[entry.path()] = read_file(entry.path());
    return all;
}

// Stores the checksum of the bytes as they now are, so that only the change under test is wrong.
void restore_crc(bytes& image)
{
    const std::uint32_t word = oracle_word(image);
    for (int i = 0; i < 4; ++i)
        image[image.size() - 12 + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(word >> (8 * i));
}

TEST(VerifyTool, EveryKindStampedVerifies)
{
    scratch_dir dir;
    const struct {
        std::string kind, file, type;
    } kinds[] = {{"hbainfo", "hbainfo.bin", "0"},   {"bios", "bios.bin", "2"},
                 {"firmware", "firmware.bin", "3"}, {"uboot", "fwloader.bin", "4"},
                 {"hba", "hba.txt", "5"},           {"desc", "desc.txt", "6"}};
    words files;
    std::string expected;
    for (const auto& k : kinds) {
        const bytes image = stamp(dir, k.kind, k.file);
        files.push_back(k.file);
        expected += std::string(expected.empty() ? "" : "\n") + "file = " + k.file +
                    "\nheader signature = ZT_FLASH\nheader type = 0x" + k.type +
                    " \nheader version = 1.0.0.21.1 ,[major.minor.oem.beta.alpha]\n"
                    "header crc = 0x" +
                    hex(oracle_word(image)) + " \nheader kind = " + k.kind +
                    "\nheader size = 0x1000\nheader device id = 0x8640\nOK\n";
    }
    const auto before = contents(dir.work);
    const run_result r = run_verify(dir, files);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(contents(dir.work), before);
}

// The verdict lines of a text report.
std::string verdict_lines(const std::string& report)
{
    std::string lines;
    for (std::size_t at = 0, end; at < report.size(); at = end + 1) {
        end = report.find('\n', at);
        const std::string line = report.substr(at, end - at + 1);
        if (line.starts_with("OK") || line.starts_with("INVALID: "))
            lines += line;
    }
    return lines;
}

TEST(VerifyTool, EachFaultGivesItsReason)
{
    const std::string unit = "INVALID: length 4095 bytes, a multiple of 2048 expected\n";
    const auto signature = [](const char* found) {
        return std::string("INVALID: signature bytes ") + found + " found, \"ZT_FLASH\" expected\n";
    };
    const struct {
        const char* name;
        std::function<void(bytes&)> change;
        bool restore_crc;
        std::function<std::string(const bytes& stamped, const bytes& changed)> verdict;
    } cases[] = {
        {"a covered byte", [](bytes& b) { b[100] ^= 1; }, false,
         [](const bytes& s, const bytes& c) { return crc_reason(oracle_word(s), oracle_word(c)); }},
        {"a byte of the last 8", [](bytes& b) { b[4095] ^= 1; }, false,
         [](const bytes&, const bytes&) { return std::string("OK\n"); }},
        {"truncated", [](bytes& b) { b.pop_back(); }, false,
         [&](const bytes&, const bytes&) { return unit + signature("ff 5a 54 5f 46 4c 41 53"); }},
        {"extended", [](bytes& b) { b.resize(6144, 0xFF); }, false,
         [&](const bytes&, const bytes&) { return signature("ff ff ff ff ff ff ff ff"); }},
        {"too short", [](bytes& b) { b.resize(50); }, false,
         [](const bytes&, const bytes&) {
             return std::string("INVALID: length 50 bytes, at least 72 expected\n"
                                "INVALID: length 50 bytes, a multiple of 2048 expected\n");
         }},
        {"no signature", [](bytes& b) { b[4024] = 'z'; }, false,
         [&](const bytes&, const bytes&) { return signature("7a 54 5f 46 4c 41 53 48"); }},
        {"unknown type", [](bytes& b) { b[4024 + 8] = 1; }, true,
         [](const bytes&, const bytes&) {
             return std::string(
                 "INVALID: type 0x1 found, one of 0x0, 0x2, 0x3, 0x4, 0x5, 0x6 expected\n");
         }},
        {"size off the length", [](bytes& b) { b[4024 + 15] = 0x20; }, true,
         [](const bytes&, const bytes&) {
             return std::string("INVALID: size 0x2000 stored, file length 0x1000\n");
         }},
        {"device id off the list", [](bytes& b) { b[4024 + 18] = 0x41; }, true,
         [](const bytes&, const bytes&) {
             return std::string("INVALID: device id 0x8641 stored, one of 0x8640, 0x9470, "
                                "0x9310, 0x9340, 0x9356 expected\n");
         }},
    };
    for (const auto& k : cases) {
        scratch_dir dir;
        const bytes stamped = stamp(dir, "bios", "bios.bin");
        bytes changed = stamped;
        k.change(changed);
        if (k.restore_crc)
            restore_crc(changed);
        write_file(dir.work / "bios.bin", changed);
        const run_result r = run_verify(dir, {"bios.bin"});
        const std::string verdict = k.verdict(stamped, changed);
        EXPECT_EQ(r.status, verdict == "OK\n" ? 0 : 1) << k.name;
        EXPECT_TRUE(r.out.starts_with("file = bios.bin\n")) << k.name;
        EXPECT_EQ(verdict_lines(r.out), verdict) << k.name;
        EXPECT_EQ(r.err, "") << k.name;
        EXPECT_EQ(read_file(dir.work / "bios.bin"), changed) << k.name;
    }
}

TEST(VerifyTool, SeveralFilesAndFilesThatCannotBeRead)
{
    scratch_dir dir;
    const bytes good = stamp(dir, "bios", "bios.bin");
    bytes bad = good;
    bad[0] ^= 0xFF;
    write_file(dir.work / "bad.bin", bad);
    fs::create_directory(dir.work / "folder");
    const auto before = contents(dir.work);
    const std::string good_report = "file = bios.bin\n";
    const std::string bad_report = "file = bad.bin\n";
    const struct {
        words args;
        std::string prefix;
        int status;
        std::vector<std::string> out; // in this order
        std::string err;
    } cases[] = {
        {{"bios.bin", "bad.bin"},
         "",
         1,
         {good_report, "OK\n\n", bad_report, crc_reason(oracle_word(good), oracle_word(bad))},
         ""},
        {{"missing.bin", "bios.bin", "folder", "bad.bin"},
         "",
         2,
         {good_report, "OK\n\n", bad_report},
         "corvane-verify: missing.bin: cannot open: No such file or directory\n"
         "corvane-verify: folder: not a regular file\n"},
        {{"-q", "bad.bin", "bios.bin"}, "", 1, {}, ""},
        {{"--quiet", "bios.bin"}, "", 0, {}, ""},
        {{"--quiet", "bios.bin", "missing.bin"}, "", 2, {}, ""},
        {{"bios.bin"},
         "flock -x bios.bin ",
         2,
         {},
         "corvane-verify: bios.bin: locked by another process, which may be stamping it\n"},
    };
    for (const auto& k : cases) {
        const run_result r = run_verify(dir, k.args, k.prefix);
        EXPECT_EQ(r.status, k.status) << k.args[0];
        std::size_t at = 0;
        for (const std::string& part : k.out) {
            const std::size_t found = r.out.find(part, at);
            EXPECT_NE(found, std::string::npos) << k.args[0] << ": " << part << " in\n" << r.out;
            at = found == std::string::npos ? at : found + part.size();
        }
        if (k.out.empty()) {
            EXPECT_EQ(r.out, "") << k.args[0];
        }
        EXPECT_EQ(r.err, k.err) << k.args[0];
        EXPECT_EQ(contents(dir.work), before) << k.args[0];
    }
}

TEST(VerifyTool, JsonCarriesTheValues)
{
    scratch_dir dir;
    const bytes good = stamp(dir, "bios", "bios.bin");
    bytes bad = good;
    bad[4024 + 7] ^= 0x10; // the signature's last byte
    write_file(dir.work / "bad.bin", bad);
    const std::string utf8_name = "q\"uo\\te\x01\t\xc3\xa9.bin"; // quotes, backslash, controls, é
    const std::string raw_name = "raw\xff\xfe.bin";              // not UTF-8
    write_file(dir.work / utf8_name, good);
    write_file(dir.work / raw_name, good);
    const auto before = contents(dir.work);

    const run_result r =
        run_verify(dir, {"--json", "bios.bin", "bad.bin", utf8_name, raw_name, "missing.bin"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "corvane-verify: missing.bin: cannot open: No such file or directory\n");
    EXPECT_EQ(contents(dir.work), before);
    const nlohmann::json doc = nlohmann::json::parse(r.out); // throws on a malformed document
    ASSERT_TRUE(doc.is_array());
    ASSERT_EQ(doc.size(), 5u);

    const auto& ok = doc[0];
    EXPECT_EQ(ok["file"], "bios.bin");
    EXPECT_FALSE(ok.contains("file_bytes"));
    EXPECT_EQ(ok["verdict"], "OK");
    EXPECT_EQ(ok["reasons"], nlohmann::json::array());
    EXPECT_EQ(ok["length"], 4096);
    EXPECT_EQ(ok["stored_crc"], oracle_word(good));
    EXPECT_EQ(ok["computed_crc"], oracle_word(good));
    const nlohmann::json header = {
        {"signature", "ZT_FLASH"},
        {"type", 2},
        {"kind", "bios"},
        {"version", {{"major", 1}, {"minor", 0}, {"oem", 0}, {"beta", 21}, {"alpha", 1}}},
        {"size", 4096},
        {"device_id", 0x8640},
        {"reserved", std::string(80, '0')},
        {"crc", oracle_word(good)}};
    EXPECT_EQ(ok["header"], header);

    const auto& invalid = doc[1];
    EXPECT_EQ(invalid["verdict"], "INVALID");
    EXPECT_EQ(invalid["failed_checks"], nlohmann::json::array({"signature"}));
    EXPECT_EQ(invalid["reasons"],
              nlohmann::json::array(
                  {"signature bytes 5a 54 5f 46 4c 41 53 58 found, \"ZT_FLASH\" expected"}));
    EXPECT_EQ(invalid["header"], nullptr);
    EXPECT_EQ(invalid["computed_crc"], oracle_word(bad));

    EXPECT_EQ(doc[2]["file"], utf8_name);
    EXPECT_EQ(doc[2]["verdict"], "OK");
    EXPECT_EQ(doc[3]["file"], "raw\xef\xbf\xbd\xef\xbf\xbd.bin"); // each bad byte as U+FFFD
    EXPECT_EQ(doc[3]["file_bytes"], "726177fffe2e62696e");
    EXPECT_EQ(doc[3]["verdict"], "OK");
    EXPECT_EQ(doc[4]["verdict"], "ERROR");
    EXPECT_EQ(doc[4]["reasons"], nlohmann::json::array({"cannot open: No such file or directory"}));
    EXPECT_EQ(doc[4]["length"], nullptr);
}

TEST(VerifyTool, CommandLine)
{
    scratch_dir dir;
    const struct {
        words args;
        int status;
        std::string out_starts, err;
    } cases[] = {
        {{"--help"}, 0, "Usage: corvane-verify [--json] [--quiet] FILE...\n", ""},
        {{"--version"},
         0,
         std::string("corvane-verify ") + tool_version_text +
             " (checksum engine: " + crc_engine_name() + ")\n",
         ""},
        {{},
         2,
         "",
         "corvane-verify: no file given\nUsage: corvane-verify [--json] [--quiet] FILE...\n"},
        {{"--json"},
         2,
         "",
         "corvane-verify: no file given\nUsage: corvane-verify [--json] [--quiet] FILE...\n"},
    };
    for (const auto& k : cases) {
        const run_result r = run_verify(dir, k.args);
        EXPECT_EQ(r.status, k.status);
        EXPECT_TRUE(r.out.starts_with(k.out_starts)) << r.out;
        EXPECT_EQ(r.err, k.err);
    }
    const run_result bad = run_verify(dir, {"--bogus", "x"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unrecognized option '--bogus'\nTry 'corvane-verify --help'"),
              std::string::npos)
        << bad.err;
}

} // namespace
} // namespace corvane::testing
