#include "stamp/new_file.h"

#include <iterator>

#include "io/output.h"
#include "report/printable_name.h"

namespace corvane {

namespace {

copy_result failed(copy_error error, io_status cause = {})
{
    return {error, cause, {}, 0, 0, {}, nullptr};
}

// "corvane-stamp: NAME: WHAT: REASON" on `to`, a new file that cannot be removed, of this run
// or of one killed before its end.
void warn_not_removed(std::FILE* to, const char* name, const char* what, const io_status& status)
{
    char printable[4 * sizeof(new_file_name_buffer{}.name) + 1];
    char words[256];
    const std::string_view why = describe(status, words);
    print(to, "corvane-stamp: %s: %s: %.*s\n", printable_name(name, printable).data(), what,
          static_cast<int>(why.size()), why.data());
}

} // namespace

new_file::~new_file()
{
    static_cast<void>(file.close());
    if (!made)
        return;
    if (const io_status s = remove_file(name); !s.ok())
        warn_not_removed(warnings, name, "cannot remove this run's new file", s);
}

copy_result new_file::create(const char* target) noexcept
{
    if (const io_status s = remove_stale_beside(target, named.name); !s.ok())
        warn_not_removed(warnings, name, "cannot remove the new file of a killed run", s);
    if (const io_status s = file.create_beside(target, named.name, made); !s.ok())
        return failed(copy_error::create, s);
    return {};
}

copy_result new_file::put_in_place(const char* target) noexcept
{
    if (const io_status s = file.rename_over(name, target); !s.ok())
        return failed(copy_error::replace, s);
    made = false;
    if (const io_status s = file.close(); !s.ok())
        return failed(copy_error::close_after, s);
    if (const io_status s = sync_folder_of(target); !s.ok())
        return failed(copy_error::flush_folder, s);
    return {};
}

const char* own_file_name(std::uint64_t which) noexcept
{
    constexpr const char* names[] = {"--record", "--words", "--gather"};
    return which < std::size(names) ? names[which] : "";
}

const char* other_file_name(std::uint64_t which) noexcept
{
    constexpr const char* names[] = {
        "INPUT", "OUTPUT", "RECORD", "RECORDS", "one of the records", "the image of a record"};
    return which < std::size(names) ? names[which] : "";
}

copy_result refuse_one_file(const char* made, own_file kind, const char* other,
                            other_file other_kind) noexcept
{
    bool same = false;
    if (const io_status s = names_one_file(made, other, same); !s.ok())
        return {copy_error::create, s, {}, 0, 0, {}, made};
    if (!same)
        return {};
    return {copy_error::named_twice,
            {},
            {static_cast<std::uint64_t>(kind), static_cast<std::uint64_t>(other_kind)},
            0,
            0,
            {},
            made};
}

whole_file::whole_file(const char* target, std::FILE* warnings) noexcept
    : target_(target), file_(warnings)
{
}

copy_result whole_file::named(copy_result result) const noexcept
{
    result.about = target_;
    return result;
}

copy_result whole_file::create() noexcept { return named(file_.create(target_)); }

copy_result whole_file::append(std::span<const std::uint8_t> bytes) noexcept
{
    if (const io_status s = file_.file.write_at(length_, bytes); !s.ok())
        return named(failed(copy_error::write, s));
    length_ += bytes.size();
    return {};
}

copy_result whole_file::replace() noexcept
{
    if (const io_status s = file_.file.sync(); !s.ok())
        return named(failed(copy_error::flush, s));
    return named(file_.put_in_place(target_));
}

} // namespace corvane
