#include "store/LocationHelper.h"

#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

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
    auto& helper = LocationHelper::shared();
    EXPECT_EQ(lookUp().error(), LocationError::missingPref);
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    EXPECT_EQ(lookUp().valueOr({}), (CLLocationCoordinate2D{48.5, 2.25}));
    ASSERT_TRUE(helper.setOverride(CLLocationCoordinate2D{0.0, 0.0})); // unlike the store's
    for (const auto wrong : {CLLocationCoordinate2D{90.5, 0}, {0, -180.5}, {NAN, 0}})
        EXPECT_FALSE(helper.setOverride(wrong)) << describe(wrong);
    EXPECT_EQ(lookUp().valueOr({48.5, 2.25}), (CLLocationCoordinate2D{0.0, 0.0}))
        << "the old one went";
    ASSERT_TRUE(helper.setOverride(std::nullopt));
    EXPECT_EQ(lookUp().valueOr({}), (CLLocationCoordinate2D{48.5, 2.25}));
}
