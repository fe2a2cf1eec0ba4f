#include "schedule/TransitionForecaster.h"

#include "astronomy/Solar.h"
#include "platform/Calendar.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace aerolune;
using aerolune::test::ScopedConfigHome;
using aerolune::test::ScopedLogRecorder;
using aerolune::test::ScopedManualClock;
using aerolune::test::ScopedTimeZone;
using ::testing::ElementsAre;
using Events = std::vector<std::string>;

namespace {

TimePoint at(const char* iso) {
    return parseIso8601(iso).value();
}

// Reports as text, with moments to the last bit, so whole sequences compare.
std::string next(SkyMode mode, TimePoint date) {
    return "next " + std::string(describe(mode)) + " " + shortestDecimal(date);
}
std::string mode(SkyMode mode) {
    return "mode " + std::string(describe(mode));
}

class Recorder final : public TransitionForecasterDelegate {
public:
    void transitionForecasterDidDetermine(SkyMode skyMode) override {
        events.push_back(mode(skyMode));
    }
    void transitionForecasterDidForecast(SkyMode skyMode, TimePoint date) override {
        events.push_back(next(skyMode, date));
    }
    void transitionForecasterDidFail(std::optional<LocationError> error) override {
        events.push_back(error ? "fail " + errorDescription(*error) : "fail");
    }
    void transitionForecasterDidCalculate(const Solar&) override { ++calculations; }

    Events events;
    int calculations = 0;
};

struct Fixture {
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::shared_ptr<TransitionForecaster> forecaster = TransitionForecaster::create();
    Fixture() { forecaster->setDelegate(recorder); }

    Events forecast(TimePoint now, CLLocationCoordinate2D place) {
        recorder->events.clear();
        forecaster->forecast(now, place);
        return recorder->events;
    }
};

TimePoint startOf(LocalDate date) {
    return Calendar::startOfDay(date).value();
}

LocalDate dayAfter(LocalDate date) {
    return Calendar::fromJulianDayNumber(Calendar::julianDayNumber(date) + 1);
}

} // namespace

TEST(TransitionForecasterTest, TheDayTableAtAndAroundEachBoundary) {
    struct Case {
        const char* zone;
        LocalDate date;
        CLLocationCoordinate2D place;
    };
    for (const Case& c : {
             Case{"<+02>-2", {2024, 6, 21}, {48.5, 2.5}},
             Case{"Europe/Paris", {2024, 3, 30}, {48.85, 2.35}},  // tomorrow lasts 23 h
             Case{"Europe/Paris", {2024, 3, 31}, {48.85, 2.35}},  // springs forward
             Case{"Europe/Paris", {2024, 10, 27}, {48.85, 2.35}}, // falls back
             Case{"America/New_York", {2024, 11, 3}, {40.7, -74.0}},
             Case{"America/Havana", {2024, 3, 10}, {23.1, -82.4}},   // no midnight
             Case{"Australia/Sydney", {2024, 4, 6}, {-33.9, 151.2}}, // eve of a change
         }) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.date.month) + "/" +
                     std::to_string(c.date.day));
        ScopedTimeZone zone(c.zone);
        Fixture f;
        const TimePoint first = startOf(c.date), firstTomorrow = startOf(dayAfter(c.date));
        const Solar today(first, c.place);
        const TimePoint rise = *today.sunrise(), set = *today.sunset();
        const TimePoint riseTomorrow = *Solar(firstTomorrow, c.place).sunrise();
        const auto night = mode(SkyMode::night);
        struct Row {
            TimePoint now;
            Events expected;
        };
        for (const Row& row : {
                 Row{first, {next(SkyMode::sunrise, rise), night}},
                 Row{rise - 1, {next(SkyMode::sunrise, rise), night}},
                 Row{std::nextafter(rise, 0.0), {next(SkyMode::sunrise, rise), night}},
                 Row{rise, {mode(SkyMode::sunrise)}},
                 Row{rise + 3600, {mode(SkyMode::sunrise)}},
                 Row{rise + 3601, {next(SkyMode::sunset, set), mode(SkyMode::day)}},
                 Row{set - 1, {next(SkyMode::sunset, set), mode(SkyMode::day)}},
                 Row{set, {mode(SkyMode::sunset)}},
                 Row{set + 3600, {mode(SkyMode::sunset)}},
                 Row{set + 3601, {next(SkyMode::sunrise, riseTomorrow), night}},
                 Row{firstTomorrow - 1, {next(SkyMode::sunrise, riseTomorrow), night}},
                 Row{firstTomorrow + 1, {next(SkyMode::sunrise, riseTomorrow), night}},
             }) {
            SCOPED_TRACE(formatUtc(row.now) + " (+" + shortestDecimal(row.now - first) + " s)");
            EXPECT_EQ(f.forecast(row.now, c.place), row.expected);
        }
    }
}

TEST(TransitionForecasterTest, ADayShorterThanAnHourStaysInItsSunrise) {
    ScopedTimeZone zone("UTC");
    Fixture f;
    const CLLocationCoordinate2D place{67.22, 0.0};
    const Solar today(at("2024-12-21T12:00:00Z"), place);
    ASSERT_TRUE(today.sunrise() && today.sunset());
    ASSERT_LT(*today.sunset() - *today.sunrise(), 3600);
    EXPECT_EQ(f.forecast(*today.sunset() + 1, place), Events{mode(SkyMode::sunrise)});
    EXPECT_EQ(f.forecast(*today.sunrise() + 3601, place), Events{mode(SkyMode::sunset)});
}

TEST(TransitionForecasterTest, PolarDaysHoldTheirSkyWithoutANextChange) {
    ScopedTimeZone zone("Europe/Oslo");
    Fixture f;
    ScopedLogRecorder log;
    EXPECT_EQ(f.forecast(at("2024-06-21T03:00:00+02:00"), {78.5, 15.5}),
              Events{mode(SkyMode::day)});
    EXPECT_THAT(log.lines(), ElementsAre("today's sunrise: none (the sun never sets today)",
                                         "today's sunset: none (the sun never sets today)"));
    EXPECT_EQ(f.forecast(at("2024-12-21T12:00:00+01:00"), {69.5, 19.0}),
              Events{mode(SkyMode::night)});
    // The last evening before the polar night: tomorrow has no sunrise to announce.
    EXPECT_EQ(f.forecast(at("2024-11-27T23:00:00+01:00"), {69.5, 19.0}),
              Events{mode(SkyMode::night)});
    EXPECT_EQ(f.recorder->calculations, 3);
}

TEST(TransitionForecasterTest, APlaceThatIsNotANumberFailsWithoutAnError) {
    Fixture f;
    EXPECT_EQ(f.forecast(at("2024-06-21T12:00:00Z"), {NAN, 2.0}), Events{"fail"});
}

TEST(TransitionForecasterTest, GetLocationForecastsTheStoredPlaceAtTheClocksMoment) {
    ScopedTimeZone zone("<+02>-2");
    ScopedConfigHome home;
    ScopedManualClock clock(at("2024-06-21T12:00:00+02:00"));
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.5}));
    Fixture f;
    ScopedLogRecorder log;
    f.forecaster->getLocation();
    const Solar today(clock->now(), {48.5, 2.5});
    EXPECT_EQ(f.recorder->events,
              (Events{next(SkyMode::sunset, *today.sunset()), mode(SkyMode::day)}));
    EXPECT_THAT(log.lines(),
                ElementsAre("[vemo] TransitionForecaster.getLocation",
                            "[vemo] Prefs. coordinates: 48.5, 2.5",
                            "[vemo] getLocation \u2026\u00a0Optional(CLLocationCoordinate2D("
                            "latitude: 48.5, longitude: 2.5))",
                            "[vemo] Prefs. coordinates: 48.5, 2.5",
                            // The description truncates: sunrise is at 03:48:14.6.
                            "today's sunrise: 2024-06-21 03:48:14 +0000",
                            "today's sunset: 2024-06-21 19:55:36 +0000"));
}

TEST(TransitionForecasterTest, WithoutAStoredPlaceOnlyTheFailureIsReported) {
    ScopedConfigHome home;
    Fixture f;
    ScopedLogRecorder log;
    f.forecaster->getLocation();
    EXPECT_EQ(f.recorder->events, Events{"fail Missing location preference."});
    EXPECT_EQ(f.recorder->calculations, 0);
    EXPECT_EQ(log.lines().size(), 4u);
}

TEST(TransitionForecasterTest, WithoutADelegateNothingIsReportedButTheLogIsWritten) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.5}));
    Fixture f;
    f.recorder.reset(); // the forecaster held it weakly: it is gone
    ScopedLogRecorder log;
    f.forecaster->getLocation();
    EXPECT_EQ(log.lines().size(), 6u);
    EXPECT_TRUE(f.forecaster->delegate().expired());

    const auto bare = TransitionForecaster::create();
    bare->forecast(at("2024-06-21T12:00:00Z"), {48.5, 2.5});
    EXPECT_EQ(log.lines().size(), 8u);
}
