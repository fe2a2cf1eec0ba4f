#include "store/LocationHelper.h"

#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::ElementsAre;

// Fails the test unless the completion ran before getLocation returned.
static LocationResult lookUp() {
    std::optional<LocationResult> result;
    LocationHelper::shared().getLocation([&](const LocationResult& r) { result = r; });
    EXPECT_TRUE(result) << "the completion had not run when getLocation returned";
    return result.value_or(LocationError::authorizationDenied);
}

// The stored place, missingPref without one, and an override of this run in
// place of the store until it is taken away.
TEST(LocationHelperTest, CompletesWithTheOverrideOrTheStoredPlaceOrMissingPref) {
    ScopedConfigHome home;
    ScopedLogRecorder log;
    auto& helper = LocationHelper::shared();
    EXPECT_EQ(lookUp().error(), LocationError::missingPref);
    EXPECT_EQ(log.lines().at(1), "[vemo] getLocation \u2026\u00a0nil");
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    log.clear();
    EXPECT_EQ(lookUp().valueOr({}), (CLLocationCoordinate2D{48.5, 2.25}));
    EXPECT_THAT(log.lines(), ElementsAre("[vemo] Prefs. coordinates: 48.5, 2.25",
                                         "[vemo] getLocation \xE2\x80\xA6\xC2\xA0Optional("
                                         "CLLocationCoordinate2D(latitude: 48.5, longitude: 2.25))",
                                         "[vemo] Prefs. coordinates: 48.5, 2.25"));
    ASSERT_TRUE(helper.setOverride(CLLocationCoordinate2D{0.0, 0.0})); // unlike the store's
    for (const auto wrong : {CLLocationCoordinate2D{90.5, 0}, {0, -180.5}, {NAN, 0}})
        EXPECT_FALSE(helper.setOverride(wrong)) << describe(wrong);
    log.clear();
    EXPECT_EQ(lookUp().valueOr({48.5, 2.25}), (CLLocationCoordinate2D{0.0, 0.0}))
        << "the old one went";
    EXPECT_THAT(log.lines(), ElementsAre("[vemo] getLocation \u2026\u00a0Optional(" +
                                         describe({0.0, 0.0}) + ") for this run only"));
    ASSERT_TRUE(helper.setOverride(std::nullopt));
    EXPECT_EQ(lookUp().valueOr({}), (CLLocationCoordinate2D{48.5, 2.25}));
}
