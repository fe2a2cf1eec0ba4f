#include "geocode/Geocoder.h"

#include "geocode/PlaceSearch.h"
#include "support/TestMainQueue.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace aerolune;
using aerolune::test::TestMainQueue;
using namespace std::chrono_literals;

TEST(GeocoderTest, TheAnswerComesOnceOnThePostersThreadAfterTheCallReturns) {
    auto queue = std::make_shared<TestMainQueue>();
    const Geocoder geocoder(queue->poster());
    const auto mainThread = std::this_thread::get_id();
    int calls = 0;
    std::optional<CLLocationCoordinate2D> found;
    std::optional<GeocodeError> error = GeocodeError::nothingTyped();
    geocoder.geocode("Lisbon", [&](auto coordinate, auto failure) {
        ++calls;
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        found = coordinate;
        error = failure;
    });
    EXPECT_EQ(calls, 0) << "the handler ran inside geocode";
    ASSERT_TRUE(queue->runUntil([&] { return calls > 0; }));
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(found);
    EXPECT_NEAR(found->latitude, 38.72, 0.01);
    EXPECT_NEAR(found->longitude, -9.13, 0.01);
    EXPECT_FALSE(error);
    const auto posters = queue->posters();
    ASSERT_EQ(posters.size(), 1u) << "answered more than once";
    EXPECT_NE(posters.front(), mainThread) << "the search ran on the caller's thread";
}

TEST(GeocoderTest, FailuresArriveAsAnErrorWithoutACoordinate) {
    auto queue = std::make_shared<TestMainQueue>();
    const Geocoder geocoder(queue->poster());
    struct Answer {
        std::optional<CLLocationCoordinate2D> coordinate;
        std::optional<GeocodeError> error;
    };
    std::map<std::string, Answer> answers;
    for (const std::string text : {"xyzzy", "", "Par\xFFis", "München"}) {
        geocoder.geocode(text, [&answers, text](auto coordinate, auto error) {
            answers[text] = {coordinate, error};
        });
    }
    ASSERT_TRUE(queue->runUntil([&] { return answers.size() == 4; }));
    EXPECT_EQ(answers["xyzzy"].error, GeocodeError::notFound("xyzzy"));
    EXPECT_EQ(answers[""].error, GeocodeError::nothingTyped());
    EXPECT_EQ(answers["Par\xFFis"].error, GeocodeError::invalidText());
    for (const char* failed : {"xyzzy", "", "Par\xFFis"})
        EXPECT_FALSE(answers[failed].coordinate) << failed;
    ASSERT_TRUE(answers["München"].coordinate);
    EXPECT_NEAR(answers["München"].coordinate->latitude, 48.14, 0.01);
    EXPECT_FALSE(answers["München"].error);
}

TEST(GeocoderTest, ASlowSearchDoesNotHoldUpTheCallerOrALaterRequest) {
    auto queue = std::make_shared<TestMainQueue>();
    std::promise<void> release;
    auto gate = release.get_future().share();
    const Geocoder geocoder(queue->poster(), [gate](const std::string& text) {
        if (text == "slow")
            gate.wait();
        return PlaceSearch::search(text);
    });
    std::vector<std::string> order;
    geocoder.lookup("slow", [&](GeocodeResult) { order.push_back("slow"); });
    geocoder.lookup("Chicago", [&](GeocodeResult result) {
        order.push_back("Chicago");
        ASSERT_FALSE(result.candidates.empty());
        EXPECT_EQ(result.candidates.front().name, "Chicago");
        EXPECT_EQ(result.candidates.front().regionCode, "IL");
    });
    ASSERT_TRUE(queue->runUntil([&] { return order.size() == 1; }));
    EXPECT_EQ(order, std::vector<std::string>{"Chicago"});
    release.set_value();
    ASSERT_TRUE(queue->runUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order.back(), "slow");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(queue->waiting(), 0u) << "a request answered twice";
}
