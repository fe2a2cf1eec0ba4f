#include "settings/LocationHelper.h"

#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

TEST(LocationHelperTest, CompletesBeforeReturningWithThePlaceOrMissingPref) {
    const auto lookUp = [] {
        std::optional<LocationResult> result;
        LocationHelper::shared().getLocation([&](const LocationResult& r) { result = r; });
        return result;
    };
    ScopedConfigHome home;
    for (const auto stored : {CLLocationCoordinate2D{48.5, 2.25}, {0.0, 2.25}, {48.5, 0.0}}) {
        ASSERT_FALSE(Prefs::setCoordinates(stored));
        ScopedLogRecorder log;
        const auto result = lookUp();
        ASSERT_TRUE(result);
        if (stored.latitude == 0.0 || stored.longitude == 0.0) {
            EXPECT_EQ(std::get<LocationError>(*result), LocationError::missingPref);
            EXPECT_EQ(log.lines().at(1), "[vemo] getLocation \u2026\u00a0nil");
            continue;
        }
        EXPECT_EQ(std::get<CLLocationCoordinate2D>(*result), stored);
        EXPECT_THAT(log.lines(), ::testing::ElementsAre(
                                     "[vemo] Prefs. coordinates: 48.5, 2.25",
                                     "[vemo] getLocation \xE2\x80\xA6\xC2\xA0Optional("
                                     "CLLocationCoordinate2D(latitude: 48.5, longitude: 2.25))",
                                     "[vemo] Prefs. coordinates: 48.5, 2.25"));
    }
}
