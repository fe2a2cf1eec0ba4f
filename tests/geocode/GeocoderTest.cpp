#include "geocode/Geocoder.h"

#include "geocode/PlaceSearch.h"
#include "support/TestMainQueue.h"

#include <future>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;
using aerolune::test::TestMainQueue;

TEST(GeocoderTest, EachAnswerComesOnceOnThePostersThreadAfterTheCallReturns) {
    auto queue = std::make_shared<TestMainQueue>();
    const Geocoder geocoder(queue->poster(), [](const std::string& text) -> GeocodeResult {
        if (text == "nothing, no error")
            return std::vector<PlaceCandidate>{};
        return PlaceSearch::search(text);
    });
    using Answer = std::pair<std::optional<CLLocationCoordinate2D>, std::optional<GeocodeError>>;
    std::map<std::string, Answer> answers;
    const auto caller = std::this_thread::get_id();
    for (const std::string text : {"München", "xyzzy", "", "nothing, no error"}) {
        geocoder.geocode(text, [&answers, text, caller](auto coordinate, auto error) {
            EXPECT_EQ(answers.count(text), 0u) << text << " was answered twice";
            EXPECT_EQ(std::this_thread::get_id(), caller) << "not on the main loop";
            answers[text] = {coordinate, error};
        });
    }
    EXPECT_TRUE(answers.empty()) << "a handler ran inside geocode";
    ASSERT_TRUE(queue->runUntil([&] { return answers.size() == 4; }));
    EXPECT_NEAR(answers["München"].first.value_or(CLLocationCoordinate2D{}).latitude, 48.14, 0.01);
    EXPECT_EQ(answers["xyzzy"], Answer(std::nullopt, GeocodeError::notFound("xyzzy")));
    EXPECT_EQ(answers[""], Answer(std::nullopt, GeocodeError::nothingTyped()));
    EXPECT_EQ(answers["nothing, no error"], Answer());
    EXPECT_FALSE(answers["München"].second);
    for (const auto& poster : queue->posters())
        EXPECT_NE(poster, caller) << "a search ran on the caller's thread";
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
    for (const char* text : {"slow", "Chicago"})
        geocoder.lookup(text, [&order, text](GeocodeResult) { order.push_back(text); });
    ASSERT_TRUE(queue->runUntil([&] { return order.size() == 1; }));
    release.set_value();
    ASSERT_TRUE(queue->runUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"Chicago", "slow"}));
}
