// Pattern formatting of DateTime values.
#include "common/date_time.h"

#include <cstdio>

namespace {

std::string padded(int value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

} // namespace

std::string formatDateTime(const DateTime& when, std::string_view pattern)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const std::string_view rest = pattern.substr(i);
        if (rest.starts_with("yyyy")) {
            out += padded(when.year, 4);
            i += 4;
            continue;
        }
        struct Field { std::string_view token; int value; };
        const Field fields[] = {{"mm", when.month}, {"dd", when.day}, {"hh", when.hour},
                                {"nn", when.minute}, {"ss", when.second}};
        bool matched = false;
        for (const Field& field : fields) {
            if (rest.starts_with(field.token)) {
                out += padded(field.value, 2);
                i += 2;
                matched = true;
                break;
            }
        }
        if (!matched)
            out += pattern[i++];
    }
    return out;
}
