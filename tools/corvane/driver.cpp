#include "tools/corvane/driver.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "image/arg_values.h"
#include "image/image_header.h"
#include "image/image_rules.h"
#include "io/output.h"
#include "io/standard_streams.h"
#include "stamp/stamp_image.h"
#include "tools/corvane/exit_status.h"
#include "tools/corvane/internal_check.h"
#include "tools/version.h"

namespace corvane {

namespace {

// The messages below are fixed texts that scripts match; like those of
// stamp/stamp_image.cpp they must not be corrected.
command_check refuse(const char* message)
{
    put(stdout, message);
    return command_check::refused;
}

} // namespace

command_check check_command_line(std::span<char* const> args, stamp_request& request)
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
        !device_id_in_family(id)) {
        print(stdout, "error: device id number [0x%x] wrong, should be 0x9xxx or 0x8xxx!\n",
              unsigned{id});
        return command_check::refused;
    }

    for (std::size_t i = 0; i < args.size(); ++i) {
        print(stdout, "argv[%d]:", static_cast<int>(i));
        put(stdout, args[i]);
        put(stdout, "\n");
    }

    const std::optional<image_version> version = parse_version_text(*word(6));
    if (!version)
        return command_check::bad_version;
    const std::uint32_t image_size = image_size_from_kb(size_kb);
    const std::uint16_t device_id = device_id_from_digits(*word(8));
    if (!device_id_accepted(device_id)) {
        print(stdout, "error: device id number [0x%x] wrong, should be 0x9470 or 0x8640!\n",
              unsigned{device_id});
        return command_check::refused;
    }
    if (!image_size_supported(image_size)) {
        print(stdout, "input size [0x%x] is not supported,it must be devided by %d bytes!\n",
              unsigned{image_size}, static_cast<int>(image_size_unit));
        return command_check::refused;
    }
    request = {kind, *version, image_size, device_id};
    return command_check::accepted;
}

namespace {

int stamp(std::span<char* const> args)
{
    print(stdout, "Hello Corvane %u.%u.%u.%u\n", tool_version[0], tool_version[1], tool_version[2],
          tool_version[3]);
    stamp_request request{};
    switch (check_command_line(args, request)) {
    case command_check::accepted:
        break;
    case command_check::refused:
        return exit_bad_arguments;
    case command_check::bad_version:
        internal_check_failed(version_digits);
    }

    image_header header{};
    build_image_header(header, request.kind->type_code, request.version, request.image_size,
                       request.device_id);

    switch (stamp_image(request.kind->file_name, request.image_size, header)) {
    case stamp_result::stamped:
        return exit_stamped;
    case stamp_result::failed:
        return exit_stamp_failed;
    case stamp_result::length_mismatch:
        internal_check_failed(padded_length);
    }
    return exit_stamp_failed;
}

} // namespace

int run_corvane(std::span<char* const> args)
{
    const int status = stamp(args);
    if (!finish_standard_output("corvane") && status == exit_stamped)
        return exit_stamp_failed;
    return status;
}

} // namespace corvane
