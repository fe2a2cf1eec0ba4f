#include "schedule/TransitionForecaster.h"

#include "astronomy/Solar.h"
#include "platform/core/Calendar.h"
#include "support/ScopedEnvironment.h"
#include "support/SunAltitude.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace aerolune;
using namespace aerolune::test;
using Events = std::vector<std::string>;

namespace {

// Reports as text, moments to the last bit, so whole sequences compare.
const auto mode = [](SkyMode m) { return "mode " + std::string(describe(m)); };
const auto announced = [](SkyMode m, TimePoint date) {
    return "next " + std::string(describe(m)) + " " + shortestDecimal(date);
};

// Records every report; forecast() asks for one and returns what came.
struct Recorder final : TransitionForecasterDelegate {
    void transitionForecasterDidDetermine(SkyMode m) override { events.push_back(mode(m)); }
    void transitionForecasterDidForecast(SkyMode m, TimePoint d) override {
        events.push_back(announced(m, d));
    }
    void transitionForecasterDidFail(std::optional<LocationError> error) override {
        events.push_back(error ? "fail " + errorDescription(*error) : "fail");
    }
    Events forecast(TimePoint now, CLLocationCoordinate2D place) {
        events.clear();
        forecaster->forecast(now, place);
        return events;
    }
    Events events;
    std::shared_ptr<TransitionForecaster> forecaster = TransitionForecaster::create();
};

std::shared_ptr<Recorder> recorder() {
    auto recorder = std::make_shared<Recorder>();
    recorder->forecaster->setDelegate(recorder);
    return recorder;
}

const auto startOf = [](LocalDate date) { return Calendar::startOfDay(date).value(); };

} // namespace

TEST(TransitionForecasterTest, TheDayTableAtAndAroundEachBoundary) {
    for (const auto& [name, date, place] : {
             std::tuple{"<+02>-2", LocalDate{2024, 6, 21}, CLLocationCoordinate2D{48.5, 2.5}},
             {"Europe/Paris", {2024, 3, 30}, {48.85, 2.35}}, // tomorrow lasts 23 h
             {"Europe/Paris", {2024, 3, 31}, {48.85, 2.35}},
             {"America/New_York", {2024, 11, 3}, {40.7, -74.0}},
             {"America/Havana", {2024, 3, 10}, {23.1, -82.4}},
             {"Australia/Sydney", {2024, 4, 6}, {-33.9, 151.2}},
         }) {
        SCOPED_TRACE(std::string(name) + " " + std::to_string(date.day));
        ScopedTimeZone zone(name);
        const auto f = recorder();
        const TimePoint first = startOf(date);
        const TimePoint firstTomorrow =
            startOf(Calendar::fromJulianDayNumber(Calendar::julianDayNumber(date) + 1));
        const Solar today(first, place);
        const TimePoint rise = *today.sunrise(), set = *today.sunset();
        const auto morning = announced(SkyMode::sunrise, rise),
                   evening = announced(SkyMode::sunset, set);
        const auto tomorrow = announced(SkyMode::sunrise, *Solar(firstTomorrow, place).sunrise());
        const auto night = mode(SkyMode::night), day = mode(SkyMode::day);
        for (const auto& [now, expected] : std::vector<std::pair<TimePoint, Events>>{
                 {first, {morning, night}},
                 {std::nextafter(rise, 0.0), {morning, night}},
                 {rise, {mode(SkyMode::sunrise)}},
                 {rise + 3600, {mode(SkyMode::sunrise)}},
                 {rise + 3601, {evening, day}},
                 {set - 1, {evening, day}},
                 {set, {mode(SkyMode::sunset)}},
                 {set + 3600, {mode(SkyMode::sunset)}},
                 {set + 3601, {tomorrow, night}},
                 {firstTomorrow - 1, {tomorrow, night}}, // from the last moment of today
                 {firstTomorrow + 1, {tomorrow, night}}, // and from the first of tomorrow
             })
            EXPECT_EQ(f->forecast(now, place), expected) << "+" << (now - first) << " s";
    }
}

TEST(TransitionForecasterTest, ShortAndPolarDays) {
    ScopedTimeZone zone("Europe/Oslo");
    const auto f = recorder();
    const Solar shortDay(at("2024-12-21T12:00:00Z"), {67.22, 0.0});   // under an hour
    // clang-format off
    for (const auto& [moment, place, expected] : {
             std::tuple{*shortDay.sunset() + 1, CLLocationCoordinate2D{67.22, 0.0}, Events{mode(SkyMode::sunrise)}},
             {at("2024-06-21T03:00:00+02:00"), {78.5, 15.5}, {mode(SkyMode::day)}},
             {at("2024-12-21T12:00:00+01:00"), {69.5, 19.0}, {mode(SkyMode::night)}},
             // The last evening before the polar night: tomorrow has no sunrise to announce.
             {at("2024-11-27T23:00:00+01:00"), {69.5, 19.0}, {mode(SkyMode::night)}},
             {at("2024-11-27T23:00:00+01:00"), {NAN, 19.0}, {"fail"}}}) // clang-format on
        EXPECT_EQ(f->forecast(moment, place), expected)
            << formatUtc(moment) << " " << describe(place);
}

// Wherever the machine's zone draws its days, the sky is the place's: day (or
// its sunrise) while the sun stands well up, night while it is well down.
// Places on both sides of the date line, zones far from them, every 20
// minutes of two days at both solstices.
TEST(TransitionForecasterTest, TheSkyFollowsThePlacesOwnSunWhateverTheMachinesZone) {
    // Tokyo, Sydney, Auckland, Paris, Singapore, Apia, Honolulu and Anchorage.
    const CLLocationCoordinate2D places[] = {{35.68, 139.69},  {-33.87, 151.21}, {-36.85, 174.76},
                                             {48.85, 2.35},    {1.29, 103.85},   {-13.83, -171.76},
                                             {21.31, -157.86}, {59.5, -149.9}};
    for (const char* name : {"Europe/London", "UTC", "Pacific/Honolulu", "America/New_York",
                             "Pacific/Kiritimati", "Asia/Tokyo"}) {
        ScopedTimeZone zone(name);
        const auto f = recorder();
        for (const auto& place : places)
            for (const char* start : {"2024-06-20T00:00:00Z", "2024-12-20T00:00:00Z"})
                for (TimePoint now = at(start); now < at(start) + 2 * 86400; now += 1200) {
                    SCOPED_TRACE(std::string(name) + " " + describe(place) + " " + formatUtc(now));
                    const double altitude = sunAltitude(now, place.latitude, place.longitude);
                    const Events events = f->forecast(now, place);
                    ASSERT_FALSE(events.empty());
                    const bool day = events.back() == mode(SkyMode::day),
                               night = events.back() == mode(SkyMode::night);
                    EXPECT_FALSE(altitude > 12 && !day && events.back() != mode(SkyMode::sunrise))
                        << events.back() << " with the sun " << altitude << " degrees up";
                    EXPECT_FALSE(altitude < -17 && !night) << events.back() << ", " << altitude;
                    if (!day && !night)
                        continue;
                    // A settled sky names the change that ends it, within a day.
                    const std::string prefix =
                        "next " + std::string(describe(day ? SkyMode::sunset : SkyMode::sunrise));
                    ASSERT_EQ(events.size(), 2u);
                    ASSERT_TRUE(events[0].starts_with(prefix + " ")) << events[0];
                    const double ahead = std::stod(events[0].substr(prefix.size())) - now;
                    EXPECT_TRUE(ahead > 0 && ahead < 86400) << ahead << " s ahead";
                }
    }
}
