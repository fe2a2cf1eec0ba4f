#include "store/Prefs.h"

#include "platform/core/Log.h"
#include "store/PreferenceSuite.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace aerolune {
namespace {

using SharedSuite = Result<std::shared_ptr<const PreferenceSuite>>;

struct SuiteSlot {
    std::mutex mutex;
    std::optional<SharedSuite> suite;
};

SuiteSlot& slot() {
    static SuiteSlot instance;
    return instance;
}

// The shared suite, made on first use; or why the platform refuses it.
SharedSuite sharedSuite() {
    SuiteSlot& s = slot();
    const std::lock_guard lock(s.mutex);
    if (!s.suite) {
        auto opened = PreferenceSuite::open(std::string(Prefs::suiteName));
        if (opened) {
            s.suite.emplace(std::make_shared<const PreferenceSuite>(std::move(*opened)));
        } else {
            systemLog("[vemo] Prefs. no settings folder: " + opened.error().message);
            s.suite.emplace(opened.error());
        }
    }
    return *s.suite;
}

// The number under `key`: 0.0 when the key is missing; a failure when it is
// there but not a number.
Result<double> number(const KeyFile::Entries& entries, std::string_view key) {
    const auto found = entries.find(key);
    if (found == entries.end())
        return 0.0;
    std::string_view text = found->second;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && !text.empty())
        return value;
    return failure(std::string(key) + " is not a number: \"" + found->second + "\"");
}

Result<void> refuseWrite(const Error& problem) {
    systemLog("[vemo] Prefs. set coords failed: " + problem.message);
    return problem;
}

void logCoordinates(double latitude, double longitude) {
    systemLog("[vemo] Prefs. coordinates: " + shortestDecimal(latitude) + ", " +
              shortestDecimal(longitude));
}

// The first failure among the reading and the two numbers, if any.
std::optional<Error> firstProblem(const Result<KeyFile::Entries>& reading,
                                  const Result<double>& latitude, const Result<double>& longitude) {
    if (!reading)
        return reading.error();
    if (!latitude)
        return latitude.error();
    if (!longitude)
        return longitude.error();
    return std::nullopt;
}

} // namespace

std::optional<CLLocationCoordinate2D> Prefs::coordinates() {
    const auto suite = sharedSuite();
    if (!suite) {
        logCoordinates(-420.0, -420.0);
        return std::nullopt;
    }
    const auto reading = (*suite)->read();
    const KeyFile::Entries none;
    const auto& entries = reading ? *reading : none;
    const auto latitudeRead = number(entries, latitudeKey);
    const auto longitudeRead = number(entries, longitudeKey);
    const double latitude = latitudeRead.valueOr(0.0);
    const double longitude = longitudeRead.valueOr(0.0);
    logCoordinates(latitude, longitude);
    if (const auto problem = firstProblem(reading, latitudeRead, longitudeRead)) {
        systemLog("[vemo] Prefs. ignoring the stored location: " + problem->message);
        return std::nullopt;
    }
    if (latitude == 0.0 || longitude == 0.0)
        return std::nullopt;
    const CLLocationCoordinate2D coordinate{latitude, longitude};
    if (const auto valid = validate(coordinate); !valid) {
        systemLog("[vemo] Prefs. ignoring the stored location: " + valid.error().message);
        return std::nullopt;
    }
    return coordinate;
}

CLLocationCoordinate2D Prefs::storable(CLLocationCoordinate2D coordinate) {
    constexpr double offZero = 0.000001;
    for (double* axis : {&coordinate.latitude, &coordinate.longitude}) {
        if (*axis == 0.0)
            *axis = std::signbit(*axis) ? -offZero : offZero;
    }
    return coordinate;
}

Result<void> Prefs::setCoordinates(CLLocationCoordinate2D requested) {
    const auto coordinate = storable(requested);
    systemLog("[vemo] Prefs. set coords " + describe(coordinate));
    if (auto valid = validate(coordinate); !valid)
        return refuseWrite(valid.error());
    const auto suite = sharedSuite();
    if (!suite)
        return refuseWrite(failure("no settings folder: " + suite.error().message));
    const KeyFile::Entries values{
        {std::string(latitudeKey), plainDecimal(coordinate.latitude)},
        {std::string(longitudeKey), plainDecimal(coordinate.longitude)},
    };
    if (auto written = (*suite)->write(values); !written)
        return refuseWrite(written.error());
    return {};
}

Result<void> Prefs::validate(CLLocationCoordinate2D coordinate) {
    const auto check = [](const char* name, double value, double limit) -> Result<void> {
        if (!std::isfinite(value))
            return failure(std::string(name) + " " + shortestDecimal(value) +
                           " is not a finite number");
        if (value < -limit || value > limit)
            return failure(std::string(name) + " " + shortestDecimal(value) + " is outside [-" +
                           std::to_string(int(limit)) + ", " + std::to_string(int(limit)) + "]");
        return {};
    };
    if (auto latitude = check("latitude", coordinate.latitude, 90); !latitude)
        return latitude;
    return check("longitude", coordinate.longitude, 180);
}

std::optional<std::filesystem::path> Prefs::storeFile() {
    const auto suite = sharedSuite();
    if (!suite)
        return std::nullopt;
    return (*suite)->file();
}

void Prefs::resetForTesting() {
    SuiteSlot& s = slot();
    const std::lock_guard lock(s.mutex);
    s.suite.reset();
}

} // namespace aerolune
