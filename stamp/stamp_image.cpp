#include "stamp/stamp_image.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "io/image_file.h"
#include "report/header_text.h"
#include "stamp/file_guard.h"

namespace corvane {

namespace {

// The tool's fixed texts, here and in the driver and the header report lines:
// build scripts and the people who read these logs match them byte for byte,
// so the misspellings ("closed failed", "when generate CRC", "devided"), the
// blanks before some line ends and the missing blanks after some commas stay
// exactly as they are. They must not be corrected.
struct step_messages {
    const char* open_failed;
    const char* close_failed;
};

constexpr step_messages plain_step = {"File open failed!\n", "File closed failed!\n"};
constexpr step_messages pad_step = {"File re-open failed!\n", "File closed failed!\n"};
constexpr step_messages checksum_step = {"File open failed when generate CRC!\n",
                                         "File closed failed when generate CRC!\n"};
constexpr step_messages verify_step = {"File open failed!\n",
                                       "File closed failed when generate CRC!\n"};

constexpr const char* seek_failed = "File seek failed!\n";
constexpr const char* read_failed = "File read failed!\n";
constexpr const char* write_failed = "File write failed!\n";
constexpr const char* crc_read_failed = "File read failed when generate CRC!\n";

constexpr const char* locked = "File is locked by another process!\n";
constexpr const char* changed = "File changed by another process!\n";
constexpr const char* standard_stream =
    "File is the standard output or standard error of this run!\n";

bool fail(const char* message)
{
    std::fputs(message, stdout);
    return false;
}

// The image as the run's steps share it: its name, and the state its last
// step left it in.
struct image_run {
    const char* file_name;
    file_state state;
};

enum class step_kind { reads, writes };

// One step: open the image, check that it is still the file the run claimed,
// in the state the previous step left it, do the work, note the state it
// leaves (a step that only reads must leave it as it was), close it and check
// the close. The work prints its own message when it fails; the stream is
// then closed by its guard and the close no longer matters.

template <typename Work>
bool run_step(image_run& run, open_mode mode, step_kind kind, step_messages messages, Work work)
{
    image_stream stream = open_image(run.file_name, mode);
    if (!stream)
        return fail(messages.open_failed);
    file_state now{};
    if (!state_of(stream.get(), now) || !same_file_state(now, run.state))
        return fail(changed);
    if (!work(stream.get()))
        return false;
    if (!state_of(stream.get(), now) ||
        (kind == step_kind::reads && !same_file_state(now, run.state)))
        return fail(changed);
    run.state = now;
    if (!stream.close())
        return fail(messages.close_failed);
    return true;
}

bool measure(std::FILE* stream, std::uint64_t& length)
{
    const std::optional<std::uint64_t> measured = file_length(stream);
    if (!measured)
        return fail(seek_failed);
    length = *measured;
    return true;
}

// Writes all of `bytes` and pushes them out of the stream's buffer, so that
// a full disk is reported by the step that wrote.
bool write_all(std::FILE* stream, const std::uint8_t* bytes, std::size_t count)
{
    if (std::fwrite(bytes, 1, count, stream) != count || std::fflush(stream) != 0)
        return fail(write_failed);
    return true;
}

bool write_header_at(std::FILE* stream, std::uint64_t offset, const image_header& header)
{
    if (!seek_to(stream, offset))
        return fail(seek_failed);
    return write_all(stream, header.bytes.data(), header.bytes.size());
}

// Appends `count` bytes of 0xFF, written from the work buffer a whole buffer
// at a time.
bool pad_with_ff(std::FILE* stream, std::uint64_t count, crc_buffer& block)
{
    block.fill(0xFF);
    if (std::fseek(stream, 0, SEEK_END) != 0)
        return fail(seek_failed);
    for (std::size_t n = 0; count > 0; count -= n) {
        n = static_cast<std::size_t>(std::min<std::uint64_t>(count, block.size()));
        if (!write_all(stream, block.data(), n))
            return false;
    }
    return true;
}

bool checksum(std::FILE* stream, std::uint64_t length, crc_buffer& buf, std::uint32_t& word)
{
    const crc_pass_result pass = image_crc_pass(stream, length, buf);
    if (pass.status != crc_pass_status::ok)
        return fail(crc_read_failed);
    word = pass.word;
    return true;
}

// Shows a header already at the end of a file of exactly the image size. It
// is only shown: every field of the new one comes from the command line, and
// its CRC is not checked against the file.
bool report_old_header(image_run& run, std::uint64_t length, image_header& temp_image_header)
{
    temp_image_header = {};
    if (!run_step(run, open_mode::update, step_kind::reads, plain_step, [&](std::FILE* f) {
            if (!seek_to(f, length - header_distance_from_end))
                return fail(seek_failed);
            if (std::fread(temp_image_header.bytes.data(), temp_image_header.bytes.size(), 1, f) !=
                1)
                return fail(read_failed);
            return true;
        }))
        return false;
    if (has_signature(temp_image_header)) {
        std::fputs("Attention: the image already has header, but still modify the header!\n",
                   stdout);
        std::fputs("********** original header print start **********\n", stdout);
        print_image_header(stdout, temp_image_header);
        std::fputs("********** original header print end **********\n", stdout);
    }
    return true;
}

// The checksum pass, then a second one on a fresh stream, which guards
// against a file that changed, or was read wrongly, during the first. When
// they disagree the run fails, so that the header keeps CRC 0, which the
// controller rejects.
bool checksum_twice(image_run& run, std::uint64_t length, crc_buffer& buf, std::uint32_t& word)
{
    std::uint32_t first = 0;
    if (!run_step(run, open_mode::update, step_kind::reads, checksum_step, [&](std::FILE* f) {
            if (!checksum(f, length, buf, first))
                return false;
            std::printf("image CRC generated,crc =%X\n", unsigned{first});
            return true;
        }))
        return false;
    if (!run_step(run, open_mode::update, step_kind::reads, verify_step, [&](std::FILE* f) {
            if (!checksum(f, length, buf, word))
                return false;
            if (word != first) {
                std::fputs("File CRC verify failed!\n", stdout);
                std::printf("org CRC %X, new CRC %X\n", unsigned{first}, unsigned{word});
            }
            return true;
        }))
        return false;
    return word == first;
}

} // namespace

stamp_result stamp_image(const char* file_name, std::uint32_t image_size, stamp_buffers& buffers)
{
    image_header& header = buffers.header;
    image_header& temp_image_header = buffers.temp_image_header;
    crc_buffer& checkSum_buf = buffers.checkSum_buf;
    constexpr stamp_result failed = stamp_result::failed;

    // Step 1 claims the file for the whole run, then measures it.
    image_claim claim;
    switch (claim.claim(file_name)) {
    case claim_result::claimed:
        break;
    case claim_result::open_failed:
        fail(plain_step.open_failed);
        return failed;
    case claim_result::locked:
        fail(locked);
        return failed;
    case claim_result::standard_stream:
        // Standard output may be the image, now pointed at /dev/null.
        std::fputs(standard_stream, stderr);
        fail(standard_stream);
        return failed;
    }
    image_run run{file_name, claim.state()};

    std::uint64_t input_length = 0;
    if (!run_step(run, open_mode::read, step_kind::reads, plain_step,
                  [&](std::FILE* f) { return measure(f, input_length); }))
        return failed;

    if (input_length > image_size) {
        std::printf("Error: input size [0x%x] is too small,image size = 0x%llx\n",
                    unsigned{image_size}, static_cast<unsigned long long>(input_length));
        return failed;
    }
    // Only an empty file gets this far with size 0, and a header cannot be
    // placed 72 bytes before the start of a file.
    if (image_size < header_distance_from_end) {
        std::printf("Error: image size [0x%x] is too small to hold the header!\n",
                    unsigned{image_size});
        return failed;
    }

    if (input_length == image_size && !report_old_header(run, input_length, temp_image_header))
        return failed;

    // Opened for update, not for appending, so that an append-only file fails
    // here before any byte is written. Opened and closed even when nothing is
    // to be appended.
    if (!run_step(run, open_mode::update, step_kind::writes, pad_step, [&](std::FILE* f) {
            return pad_with_ff(f, image_size - input_length, checkSum_buf);
        }))
        return failed;

    std::uint64_t target_size = 0;
    if (!run_step(run, open_mode::read, step_kind::reads, plain_step, [&](std::FILE* f) {
            if (!measure(f, target_size))
                return false;
            std::printf("File target_size %llX\n", static_cast<unsigned long long>(target_size));
            return true;
        }))
        return failed;
    if (target_size != image_size)
        return stamp_result::length_mismatch;

    const std::uint64_t header_offset = target_size - header_distance_from_end;
    if (!run_step(run, open_mode::update, step_kind::writes, plain_step,
                  [&](std::FILE* f) { return write_header_at(f, header_offset, header); }))
        return failed;

    std::uint32_t word = 0;
    if (!checksum_twice(run, target_size, checkSum_buf, word))
        return failed;

    set_header_crc(header, word);
    if (!run_step(run, open_mode::update, step_kind::writes, plain_step,
                  [&](std::FILE* f) { return write_header_at(f, header_offset, header); }))
        return failed;

    std::printf("%s image create header succeed!\n", file_name);
    print_image_header(stdout, header);
    return stamp_result::stamped;
}

} // namespace corvane
