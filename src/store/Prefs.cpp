#include "store/Prefs.h"

#include "platform/core/Log.h"
#include "store/PreferenceSuite.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>

namespace aerolune {
namespace {

struct SuiteSlot {
    std::mutex mutex;
    bool made = false;
    std::shared_ptr<const PreferenceSuite> suite;
    std::string problem;
};

SuiteSlot& slot() {
    static SuiteSlot instance;
    return instance;
}

// The shared suite, made on first use; null when the platform refuses it.
std::shared_ptr<const PreferenceSuite> sharedSuite(std::string* problem = nullptr) {
    SuiteSlot& s = slot();
    const std::lock_guard lock(s.mutex);
    if (!s.made) {
        auto opened = PreferenceSuite::open(std::string(Prefs::suiteName));
        s.made = true;
        s.problem = opened.problem;
        s.suite = opened.suite ? std::make_shared<const PreferenceSuite>(std::move(*opened.suite))
                               : nullptr;
        if (!s.suite)
            systemLog("[vemo] Prefs. no settings folder: " + s.problem);
    }
    if (problem)
        *problem = s.problem;
    return s.suite;
}

// The number under `key`; 0.0 when the key is missing, and also when it is not
// a number, which then sets `problem`.
double number(const KeyFile::Entries& entries, std::string_view key,
              std::optional<std::string>& problem) {
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
    if (!problem)
        problem = std::string(key) + " is not a number: \"" + found->second + "\"";
    return 0.0;
}

std::optional<std::string> refuseWrite(const std::string& problem) {
    systemLog("[vemo] Prefs. set coords failed: " + problem);
    return problem;
}

} // namespace

std::optional<CLLocationCoordinate2D> Prefs::coordinates() {
    const auto suite = sharedSuite();
    if (!suite) {
        systemLog("[vemo] Prefs. coordinates: " + shortestDecimal(-420.0) + ", " +
                  shortestDecimal(-420.0));
        return std::nullopt;
    }
    auto reading = suite->read();
    std::optional<std::string> problem = std::move(reading.problem);
    const double latitude = number(reading.entries, latitudeKey, problem);
    const double longitude = number(reading.entries, longitudeKey, problem);
    systemLog("[vemo] Prefs. coordinates: " + shortestDecimal(latitude) + ", " +
              shortestDecimal(longitude));
    if (problem) {
        systemLog("[vemo] Prefs. ignoring the stored location: " + *problem);
        return std::nullopt;
    }
    if (latitude == 0.0 || longitude == 0.0)
        return std::nullopt;
    const CLLocationCoordinate2D coordinate{latitude, longitude};
    if (auto invalid = problemWith(coordinate)) {
        systemLog("[vemo] Prefs. ignoring the stored location: " + *invalid);
        return std::nullopt;
    }
    return coordinate;
}

std::optional<std::string> Prefs::setCoordinates(CLLocationCoordinate2D coordinate) {
    systemLog("[vemo] Prefs. set coords " + describe(coordinate));
    if (auto invalid = problemWith(coordinate))
        return refuseWrite(*invalid);
    std::string missing;
    const auto suite = sharedSuite(&missing);
    if (!suite)
        return refuseWrite("no settings folder: " + missing);
    const KeyFile::Entries values{
        {std::string(latitudeKey), shortestDecimal(coordinate.latitude)},
        {std::string(longitudeKey), shortestDecimal(coordinate.longitude)},
    };
    if (auto failure = suite->write(values))
        return refuseWrite(*failure);
    return std::nullopt;
}

std::optional<std::string> Prefs::problemWith(CLLocationCoordinate2D coordinate) {
    const auto check = [](const char* name, double value,
                          double limit) -> std::optional<std::string> {
        if (!std::isfinite(value))
            return std::string(name) + " " + shortestDecimal(value) + " is not a finite number";
        if (value < -limit || value > limit)
            return std::string(name) + " " + shortestDecimal(value) + " is outside [-" +
                   std::to_string(int(limit)) + ", " + std::to_string(int(limit)) + "]";
        return std::nullopt;
    };
    if (auto problem = check("latitude", coordinate.latitude, 90))
        return problem;
    return check("longitude", coordinate.longitude, 180);
}

std::optional<std::filesystem::path> Prefs::storeFile() {
    const auto suite = sharedSuite();
    if (!suite)
        return std::nullopt;
    return suite->file();
}

void Prefs::resetForTesting() {
    SuiteSlot& s = slot();
    const std::lock_guard lock(s.mutex);
    s.made = false;
    s.suite.reset();
    s.problem.clear();
}

} // namespace aerolune
