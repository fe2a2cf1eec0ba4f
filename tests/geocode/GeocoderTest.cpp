#include "geocode/Geocoder.h"

#include "geocode/PlaceSearch.h"
#include "support/TestMainQueue.h"

#include <future>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;
using aerolune::test::TestMainQueue;

namespace {

struct Answer {
    std::optional<CLLocationCoordinate2D> coordinate;
    std::optional<GeocodeError> error;
    std::thread::id thread;
};

} // namespace

TEST(GeocoderTest, EachAnswerComesOnceOnThePostersThreadAfterTheCallReturns) {
    auto queue = std::make_shared<TestMainQueue>();
    const Geocoder geocoder(queue->poster(), [](const std::string& text) -> GeocodeResult {
        if (text == "no place and no error")
            return std::vector<PlaceCandidate>{};
        return PlaceSearch::search(text);
    });
    std::map<std::string, Answer> answers;
    const std::string texts[] = {"München", "xyzzy", "", "no place and no error"};
    for (const auto& text : texts) {
        geocoder.geocode(text, [&answers, text](auto coordinate, auto error) {
            EXPECT_FALSE(answers.count(text)) << text << " was answered twice";
            answers[text] = {coordinate, error, std::this_thread::get_id()};
        });
    }
    EXPECT_TRUE(answers.empty()) << "a handler ran inside geocode";
    ASSERT_TRUE(queue->runUntil([&] { return answers.size() == 4; }));
    for (const auto& [text, answer] : answers)
        EXPECT_EQ(answer.thread, std::this_thread::get_id()) << text;
    EXPECT_NEAR(answers["München"].coordinate.value_or(CLLocationCoordinate2D{}).latitude, 48.14,
                0.01);
    EXPECT_FALSE(answers["München"].error);
    EXPECT_EQ(answers["xyzzy"].error, GeocodeError::notFound("xyzzy"));
    EXPECT_EQ(answers[""].error, GeocodeError::nothingTyped());
    for (const char* failed : {"xyzzy", "", "no place and no error"})
        EXPECT_FALSE(answers[failed].coordinate) << failed;
    EXPECT_FALSE(answers["no place and no error"].error);
    for (const auto& poster : queue->posters())
        EXPECT_NE(poster, std::this_thread::get_id()) << "a search ran on the caller's thread";
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
    EXPECT_EQ(order, std::vector<std::string>{"Chicago"});
    release.set_value();
    ASSERT_TRUE(queue->runUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order.back(), "slow");
}
