#include "image/version_text.h"

#include <cstdio>

#include "image/rule_values.h"

namespace corvane {

namespace {

constexpr auto& fields = rule_values::version_fields;
static_assert(std::size(fields) == 4 && fields[3][0] == 4 && fields[3][1] == 4,
              "the last field of a version text is beta and alpha, two digits each");

constexpr unsigned most_of(unsigned digits)
{
    unsigned most = 1;
    while (digits-- > 0)
        most *= 10;
    return most - 1;
}

} // namespace

std::string version_numbers(const image_version& v)
{
    char text[24];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u.%u", unsigned{v[0]}, unsigned{v[1]},
                  unsigned{v[2]}, unsigned{v[3]}, unsigned{v[4]});
    return text;
}

std::optional<std::string> version_word(const image_version& v)
{
    for (std::size_t i = 0; i < 3; ++i)
        if (v[i] > most_of(fields[i][1]))
            return std::nullopt;
    if (v[3] > 99 || v[4] > 99)
        return std::nullopt;
    char text[24];
    std::snprintf(text, sizeof text, "%u.%u.%u.%02u%02u", unsigned{v[0]}, unsigned{v[1]},
                  unsigned{v[2]}, unsigned{v[3]}, unsigned{v[4]});
    return text;
}

} // namespace corvane
