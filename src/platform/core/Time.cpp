#include "platform/core/Time.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace aerolune {
namespace {

struct UtcFields {
    int year;
    unsigned month, day, hour, minute, second;
};

UtcFields utcFields(TimePoint t) {
    using namespace std::chrono;
    const auto whole = static_cast<long long>(std::llround(t));
    const auto days = floor<std::chrono::days>(sys_seconds{seconds{whole}});
    const year_month_day ymd{days};
    const auto rest = whole - static_cast<long long>(days.time_since_epoch().count()) * 86400;
    return {int(ymd.year()),       unsigned(ymd.month()),    unsigned(ymd.day()),
            unsigned(rest / 3600), unsigned(rest / 60 % 60), unsigned(rest % 60)};
}

// Reads exactly `width` digits at `pos`, advancing it.
bool readDigits(std::string_view text, size_t& pos, size_t width, int& out) {
    if (pos + width > text.size())
        return false;
    const char* first = text.data() + pos;
    for (size_t i = 0; i < width; ++i)
        if (first[i] < '0' || first[i] > '9')
            return false;
    std::from_chars(first, first + width, out);
    pos += width;
    return true;
}

bool expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

} // namespace

std::string formatUtc(TimePoint t) {
    const auto f = utcFields(t);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02u:%02u:%02uZ", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return buffer;
}

std::string describe(TimePoint t) {
    const auto f = utcFields(std::floor(t));
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02u:%02u:%02u +0000", f.year, f.month,
                  f.day, f.hour, f.minute, f.second);
    return buffer;
}

std::string describe(const std::optional<TimePoint>& t) {
    return t ? "Optional(" + describe(*t) + ")" : "nil";
}

std::optional<TimePoint> parseIso8601(std::string_view text) {
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(text, pos, 4, year) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, month) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, day) || !expect(text, pos, 'T') ||
        !readDigits(text, pos, 2, hour) || !expect(text, pos, ':') ||
        !readDigits(text, pos, 2, minute))
        return std::nullopt;
    if (pos < text.size() && text[pos] == ':' && (++pos, !readDigits(text, pos, 2, second)))
        return std::nullopt;
    int offset = 0;
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos++] == '-' ? -1 : 1;
        int oh = 0, om = 0;
        if (!readDigits(text, pos, 2, oh) || !expect(text, pos, ':') ||
            !readDigits(text, pos, 2, om) || oh > 23 || om > 59)
            return std::nullopt;
        offset = sign * (oh * 3600 + om * 60);
    } else {
        return std::nullopt;
    }
    if (pos != text.size() || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day ymd{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                             std::chrono::day{unsigned(day)}};
    if (!ymd.ok())
        return std::nullopt;
    const double days = sys_days{ymd}.time_since_epoch().count();
    return days * 86400.0 + hour * 3600 + minute * 60 + second - offset;
}

std::optional<double> parseDuration(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    double scale = 1;
    switch (text.back()) {
    case 's':
        scale = 1;
        break;
    case 'm':
        scale = 60;
        break;
    case 'h':
        scale = 3600;
        break;
    case 'd':
        scale = 86400;
        break;
    default:
        scale = 0;
    }
    if (scale != 0)
        text.remove_suffix(1);
    else
        scale = 1;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Checked in seconds: "1e308d" is a finite number of days but not of seconds.
    const double seconds = value * scale;
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
        value < 0)
        return std::nullopt;
    return seconds;
}

} // namespace aerolune
