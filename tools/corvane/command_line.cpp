#include "tools/corvane/command_line.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "image/arg_values.h"
#include "image/device_ids.h"
#include "image/image_header.h"
#include "image/image_layout.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "report/internal_check.h"
#include "stamp/in_place.h"
#include "tools/corvane/exit_status.h"
#include "tools/version.h"

namespace corvane {

namespace {

// The messages below are fixed texts that scripts match; like those of
// stamp/in_place_messages.cpp they must not be corrected.
command_check refuse(const char* message, unsigned value = 0, bool echoed = false,
                     unsigned second = 0)
{
    return {command_verdict::refused, echoed, message, {value, second}, {}};
}

// The version text has exactly four digits after its third dot.
constexpr internal_check version_digits = {"(dot[3]-dot[2]-1)==4", 101};

// The checks in their order.
command_check judge_words(std::span<char* const> args) noexcept
{
    if (args.size() > 9 || args.size() < 2)
        return refuse(
            "error: check cmd: example <Corvane -t bios -s 128 -v 1.0.0.2101 -i 8640> \n");

    // A position past the end of the vector fails the check of that position:
    // its word reads as empty, which no kind, size or option word accepts.
    const auto word = [args](std::size_t position) -> std::optional<std::string_view> {
        if (position < args.size())
            return args[position];
        return std::nullopt;
    };

    if (word(1) != "-t")
        return refuse("cmd need option(type):-t\n");
    const image_kind* kind = find_image_kind(word(2).value_or(""));
    if (kind == nullptr)
        return refuse("type error,please check the type, type should be bios or firmware or uboot "
                      "or hbainfo or hba or desc!\n");
    if (word(3) != "-s")
        return refuse("cmd need option(size):-s \n");
    const std::int32_t size_kb = decimal_value(word(4).value_or(""));
    if (!size_value_ok(size_kb))
        return refuse("size error,please check the size, size<=0!\n");
    if (word(5) != "-v")
        return refuse("cmd need option(version):-v \n");
    if (!word(6))
        return refuse("error: version number needed, format: xx.xx.xx.xx \n");
    if (word(7) != "-i")
        return refuse("cmd need option(device_id):-i \n");
    // A missing device id reads as 0 and so fails the family rule.
    if (const std::uint16_t id = device_id_from_digits(word(8).value_or(""));
        !device_id_in_family(id))
        return refuse("error: device id number [0x%x] wrong, should be 0x9xxx or 0x8xxx!\n", id);

    // The rest is checked after the echo.
    const std::optional<image_version> version = parse_version_text(*word(6));
    if (!version)
        return {command_verdict::bad_version, true, nullptr, {}, {}};
    const std::uint32_t image_size = image_size_from_kb(size_kb);
    const std::uint16_t device_id = device_id_from_digits(*word(8));
    if (!device_id_accepted(device_id))
        return refuse("error: device id number [0x%x] wrong, should be 0x9470 or 0x8640!\n",
                      device_id, true);
    if (!whole_units(image_size, kind->size_unit))
        return refuse("input size [0x%x] is not supported,it must be devided by %u bytes!\n",
                      image_size, true, kind->size_unit);
    return {command_verdict::accepted, true, nullptr, {}, {kind, *version, image_size, device_id}};
}

} // namespace

command_check check_command_line(std::span<char* const> args) noexcept
{
    command_check check = judge_words(args);
    if (args.size() > 2)
        check.named = find_image_kind(args[2]);
    return check;
}

namespace {

int stamp(std::span<char* const> args, report_streams& streams)
{
    const command_check check = check_command_line(args);
    // The image is claimed before a byte is printed, so that the run knows
    // which of its standard streams are the image, and leaves them out; a
    // refused run leaves out those that are the image it names.
    held_image image;
    run_output output;
    step_failure claimed;
    if (check.named != nullptr) {
        image.file_name = check.named->file_name;
        if (check.verdict == command_verdict::accepted)
            claimed = claim_image(image, output);
        else
            leave_out_image_streams(image.file_name, output);
    }
    streams = output.streams;

    print(streams.out, "Hello Corvane %u.%u.%u.%u\n", tool_version[0], tool_version[1],
          tool_version[2], tool_version[3]);
    for (std::size_t i = 0; check.echoed && i < args.size(); ++i) {
        print(streams.out, "argv[%d]:", static_cast<int>(i));
        put(streams.out, args[i]);
        put(streams.out, "\n");
    }
    switch (check.verdict) {
    case command_verdict::accepted:
        break;
    case command_verdict::refused:
        print(streams.out_or_err(), check.message, check.values[0], check.values[1]);
        return exit_bad_arguments;
    case command_verdict::bad_version:
        print_internal_check(streams, version_digits);
        return exit_internal_check;
    }

    const stamp_request& request = check.request;
    image_header header{};
    build_image_header(header, request.kind->type_code, request.version, request.image_size,
                       request.device_id);
    switch (stamp_in_place(image, output, claimed, request.image_size, header)) {
    case stamp_result::stamped:
        return exit_stamped;
    case stamp_result::failed:
        return exit_stamp_failed;
    case stamp_result::internal_check:
        return exit_internal_check;
    }
    return exit_stamp_failed;
}

} // namespace

int run_corvane(std::span<char* const> args)
{
    report_streams streams;
    const int status = stamp(args, streams);
    if (!finish_standard_output("corvane", streams) && status == exit_stamped)
        return exit_stamp_failed;
    return status;
}

} // namespace corvane
