#include "geocode/Geocoder.h"

#include "geocode/PlaceSearch.h"
#include "support/TestMainQueue.h"

#include <future>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;

TEST(GeocoderTest, EachAnswerComesOnceOnTheMainLoopAndASlowOneHoldsUpNoOther) {
    auto queue = std::make_shared<test::TestMainQueue>();
    std::promise<void> release;
    const Geocoder geocoder(
        queue->poster(), [gate = release.get_future().share()](const std::string& text) {
            if (text == "slow")
                gate.wait();
            return text == "nothing, no error" ? GeocodeResult(std::vector<PlaceCandidate>{})
                                               : PlaceSearch::search(text);
        });
    using Answer = std::pair<std::optional<CLLocationCoordinate2D>, std::optional<GeocodeError>>;
    std::map<std::string, Answer> answers;
    const auto caller = std::this_thread::get_id();
    for (const std::string text : {"slow", "München", "xyzzy", "", "nothing, no error"}) {
        geocoder.geocode(text, [&answers, text, caller](auto coordinate, auto error) {
            EXPECT_EQ(answers.count(text), 0u) << text << " was answered twice";
            EXPECT_EQ(std::this_thread::get_id(), caller) << "not on the main loop";
            answers[text] = {coordinate, error};
        });
    }
    EXPECT_TRUE(answers.empty()) << "a handler ran inside geocode";
    ASSERT_TRUE(queue->runUntil([&] { return answers.size() == 4; }));
    EXPECT_EQ(answers.count("slow"), 0u);
    EXPECT_NEAR(answers["München"].first.value_or(CLLocationCoordinate2D{}).latitude, 48.14, 0.01);
    EXPECT_FALSE(answers["München"].second);
    EXPECT_EQ(answers["xyzzy"], Answer(std::nullopt, GeocodeError::notFound("xyzzy")));
    EXPECT_EQ(answers[""], Answer(std::nullopt, GeocodeError::nothingTyped()));
    EXPECT_EQ(answers["nothing, no error"], Answer());
    release.set_value();
    ASSERT_TRUE(queue->runUntil([&] { return answers.size() == 5; }));
    for (const auto& poster : queue->posters())
        EXPECT_NE(poster, caller) << "a search ran on the caller's thread";
}
