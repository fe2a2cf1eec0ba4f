#include "settings/LocationHelper.h"

#include "settings/Prefs.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::ScopedConfigHome;
using aerolune::test::ScopedLogRecorder;
using ::testing::ElementsAre;

namespace {

std::optional<LocationResult> lookUp() {
    std::optional<LocationResult> result;
    LocationHelper::shared().getLocation([&](const LocationResult& r) { result = r; });
    return result;
}

} // namespace

TEST(LocationHelperTest, CompletesWithTheStoredPlaceBeforeReturning) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    ScopedLogRecorder log;
    const auto result = lookUp();
    ASSERT_TRUE(result);
    ASSERT_TRUE(std::holds_alternative<CLLocationCoordinate2D>(*result));
    EXPECT_EQ(std::get<CLLocationCoordinate2D>(*result), (CLLocationCoordinate2D{48.5, 2.25}));
    EXPECT_THAT(
        log.lines(),
        ElementsAre("[vemo] Prefs. coordinates: 48.5, 2.25",
                    "[vemo] getLocation \xE2\x80\xA6\xC2\xA0Optional(CLLocationCoordinate2D("
                    "latitude: 48.5, longitude: 2.25))",
                    "[vemo] Prefs. coordinates: 48.5, 2.25"));
    EXPECT_EQ(&LocationHelper::shared(), &LocationHelper::shared());
}

TEST(LocationHelperTest, FailsWithMissingPrefWhenNothingUsableIsStored) {
    for (const auto& stored : {std::optional<CLLocationCoordinate2D>{},
                               std::optional<CLLocationCoordinate2D>{{0.0, 2.25}},
                               std::optional<CLLocationCoordinate2D>{{48.5, 0.0}}}) {
        SCOPED_TRACE(stored ? describe(*stored) : "nothing stored");
        ScopedConfigHome home;
        if (stored) {
            ASSERT_FALSE(Prefs::setCoordinates(*stored));
        }
        ScopedLogRecorder log;
        const auto result = lookUp();
        ASSERT_TRUE(result);
        ASSERT_TRUE(std::holds_alternative<LocationError>(*result));
        EXPECT_EQ(std::get<LocationError>(*result), LocationError::missingPref);
        ASSERT_EQ(log.lines().size(), 3u);
        EXPECT_EQ(log.lines()[1], "[vemo] getLocation \u2026\u00a0nil");
    }
}
