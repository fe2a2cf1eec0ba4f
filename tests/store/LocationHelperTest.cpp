#include "store/LocationHelper.h"

#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
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

TEST(LocationHelperTest, AnOverrideAnswersInsteadOfTheStoreUntilItIsTakenAway) {
    ScopedConfigHome home;
    auto& helper = LocationHelper::shared();
    const auto lookUp = [&] {
        std::optional<LocationResult> result;
        helper.getLocation([&](const LocationResult& r) { result = r; });
        return result.value();
    };
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    for (const auto place : {CLLocationCoordinate2D{-33.5, 18.25}, {0.0, 0.0}}) {
        SCOPED_TRACE(describe(place));
        ASSERT_FALSE(helper.setOverride(place));
        ScopedLogRecorder log;
        EXPECT_EQ(std::get<CLLocationCoordinate2D>(lookUp()), place);
        ASSERT_EQ(log.lines().size(), 1u) << "the store was read";
        EXPECT_EQ(log.lines().front(), "[vemo] getLocation \u2026\u00a0Optional(" +
                                           describe(place) + ") for this run only");
    }
    for (const auto wrong : {CLLocationCoordinate2D{90.5, 0}, {0, -180.5}, {NAN, 0}}) {
        EXPECT_TRUE(helper.setOverride(wrong)) << describe(wrong);
        EXPECT_EQ(helper.override(), (CLLocationCoordinate2D{0.0, 0.0})) << "the old one stays";
    }
    ASSERT_FALSE(helper.setOverride(CLLocationCoordinate2D{90, -180}));
    EXPECT_EQ(std::get<CLLocationCoordinate2D>(lookUp()), (CLLocationCoordinate2D{90, -180}));

    ASSERT_FALSE(helper.setOverride(std::nullopt));
    EXPECT_EQ(std::get<CLLocationCoordinate2D>(lookUp()), (CLLocationCoordinate2D{48.5, 2.25}));
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25})) << "the store changed";
}
