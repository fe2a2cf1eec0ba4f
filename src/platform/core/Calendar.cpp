#include "platform/core/Calendar.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <ctime>

namespace aerolune {
namespace {

constexpr std::int64_t kJdnOfEpoch = 2440588;

bool toLocal(TimePoint t, std::tm& out) {
    const double whole = std::floor(t);
    if (!(whole > double(LLONG_MIN) && whole < double(LLONG_MAX)))
        return false;
    const std::time_t seconds = static_cast<std::time_t>(whole);
    ::tzset();
    return ::localtime_r(&seconds, &out) != nullptr;
}

LocalDate dateOf(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

} // namespace

LocalDate Calendar::localDate(TimePoint t) {
    std::tm tm{};
    if (!toLocal(t, tm))
        return {};
    return dateOf(tm);
}

long Calendar::utcOffset(TimePoint t) {
    std::tm tm{};
    if (!toLocal(t, tm))
        return 0;
    return tm.tm_gmtoff;
}

std::int64_t Calendar::daysSinceEpoch(LocalDate date) {
    using namespace std::chrono;
    const year_month_day ymd{year{date.year}, month{unsigned(date.month)}, day{unsigned(date.day)}};
    return sys_days{ymd}.time_since_epoch().count();
}

std::int64_t Calendar::julianDayNumber(LocalDate date) {
    return daysSinceEpoch(date) + kJdnOfEpoch;
}

LocalDate Calendar::fromJulianDayNumber(std::int64_t jdn) {
    using namespace std::chrono;
    const year_month_day ymd{sys_days{days{jdn - kJdnOfEpoch}}};
    return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

std::optional<TimePoint> Calendar::startOfDay(LocalDate date) {
    const double midnightAsUtc = double(daysSinceEpoch(date)) * 86400.0;
    // Offsets lie within -12 h and +14 h (plus historical oddities), so local
    // midnight is within 26 hours of the same wall time read as UTC.
    double low = midnightAsUtc - 26 * 3600.0;
    double high = midnightAsUtc + 26 * 3600.0;
    if (localDate(low) >= date || localDate(high) < date)
        return std::nullopt;
    // Fast path: one offset lookup, verified. Covers every day whose midnight exists.
    const double guess =
        midnightAsUtc - double(utcOffset(midnightAsUtc - utcOffset(midnightAsUtc)));
    if (localDate(guess) == date && localDate(guess - 1) < date)
        return guess;
    // Otherwise search the whole seconds for the first one on `date`; zone
    // transitions fall on whole seconds.
    while (high - low > 1) {
        const double middle = std::floor((low + high) / 2);
        (localDate(middle) < date ? low : high) = middle;
    }
    return high;
}

std::optional<TimePoint> Calendar::addingDays(TimePoint t, int days) {
    std::tm tm{};
    if (!toLocal(t, tm))
        return std::nullopt;
    const double fraction = t - std::floor(t);
    const LocalDate target = fromJulianDayNumber(julianDayNumber(dateOf(tm)) + days);
    tm.tm_year = target.year - 1900;
    tm.tm_mon = target.month - 1;
    tm.tm_mday = target.day;
    tm.tm_isdst = -1;
    const std::time_t result = std::mktime(&tm);
    if (result == std::time_t(-1) && !(tm.tm_year == 69 && tm.tm_mon == 11 && tm.tm_mday == 31))
        return std::nullopt;
    return double(result) + fraction;
}

std::optional<long> Calendar::dayOffset(LocalDate date) {
    const auto start = startOfDay(date);
    if (!start)
        return std::nullopt;
    return long(double(daysSinceEpoch(date)) * 86400.0 - *start);
}

} // namespace aerolune
