#include "settings/ConfigView.h"

#include "support/ScopedConfigHome.h"
#include "support/TestMainQueue.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

namespace {

constexpr CLLocationCoordinate2D kLisbon{38.71667, -9.13333};
constexpr CLLocationCoordinate2D kAlmada{38.67902, -9.1569};
const ConfigView::ResultArea kLisbonShown{kLisbon, {"Location found: 38.716670, -9.133330"}};

PlaceCandidate place(std::string name, CLLocationCoordinate2D coordinate) {
    return {std::move(name), {}, {}, "Portugal", "PT", coordinate, 1000, {}};
}

bool sameBits(CLLocationCoordinate2D a, CLLocationCoordinate2D b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A sheet in a window whose ending is counted, over a geocoder whose answers
// the test chooses and whose main loop the test runs.
class ConfigViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_->setEndSheetHandler([this] { ++ended_; });
        answers_["Lisbon"] = {{place("Lisbon", kLisbon), place("Almada", kAlmada)}, {}};
        answers_["nowhere in particular"] = {};
    }

    std::shared_ptr<ConfigView> makeView(bool inAWindow = true) {
        auto search = [this](const std::string& text) {
            std::lock_guard lock(searchedMutex_);
            searched_.push_back(text);
            const auto answer = answers_.find(text);
            return answer != answers_.end() ? answer->second
                                            : GeocodeResult{{}, GeocodeError::notFound(text)};
        };
        auto view = ConfigView::create(inAWindow ? window_ : nullptr,
                                       Geocoder(queue_->poster(), std::move(search)));
        view->setChangeHandler([this] { ++changes_; });
        return view;
    }

    // Types the text, runs Lookup and lets the answer arrive.
    void lookUp(ConfigView& view, const std::string& text) {
        view.setLocationInput(text);
        const int before = changes_;
        view.lookup();
        EXPECT_EQ(changes_, before) << "the answer came inside lookup()";
        ASSERT_TRUE(queue_->runUntil([&] { return changes_ > before; })) << "no answer";
    }

    std::vector<std::string> searched() {
        std::lock_guard lock(searchedMutex_);
        return searched_;
    }

    ScopedConfigHome home_;
    std::shared_ptr<TestMainQueue> queue_ = std::make_shared<TestMainQueue>();
    std::shared_ptr<SheetWindow> window_ = std::make_shared<SheetWindow>();
    std::map<std::string, GeocodeResult> answers_;
    int ended_ = 0;
    int changes_ = 0;
    std::mutex searchedMutex_;
    std::vector<std::string> searched_;
};

} // namespace

TEST_F(ConfigViewTest, AppearanceShowsTheStoredPlaceOrNothing) {
    const auto view = makeView();
    view->appear();
    EXPECT_EQ(changes_, 1);
    EXPECT_EQ(view->resultArea(), ConfigView::ResultArea{});
    EXPECT_FALSE(view->isSaveEnabled());
    EXPECT_EQ(view->locationInput(), "");

    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    view->appear();
    EXPECT_EQ(view->coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
    EXPECT_EQ(view->resultArea(),
              (ConfigView::ResultArea{CLLocationCoordinate2D{48.5, 2.25},
                                      {"Location found: 48.500000, 2.250000"}}));
    EXPECT_TRUE(view->isSaveEnabled());
}

TEST(ConfigViewFoundTextTest, SixDecimalsRoundedWithAPointAndASign) {
    EXPECT_EQ(ConfigView::foundText({48.5, 2.25}), "Location found: 48.500000, 2.250000");
    EXPECT_EQ(ConfigView::foundText({-90, 180}), "Location found: -90.000000, 180.000000");
    EXPECT_EQ(ConfigView::foundText({1.0000004, -1.0000006}),
              "Location found: 1.000000, -1.000001");
    EXPECT_EQ(ConfigView::foundText({5e-324, 179.9999996}), "Location found: 0.000000, 180.000000");
}

TEST_F(ConfigViewTest, AFailedLookupKeepsThePlaceAndHidesItsError) {
    const auto view = makeView();
    view->appear();
    lookUp(*view, "Lisbon");
    EXPECT_EQ(view->coordinates(), kLisbon) << "the first candidate is the one shown";
    EXPECT_FALSE(view->error());
    EXPECT_EQ(view->resultArea(), kLisbonShown);
    EXPECT_TRUE(view->isSaveEnabled());
    {
        SCOPED_TRACE("a failure leaves the place on screen");
        lookUp(*view, "xyzzy");
        EXPECT_EQ(view->coordinates(), kLisbon);
        EXPECT_EQ(view->error(), GeocodeError::notFound("xyzzy"));
        EXPECT_EQ(view->resultArea(), kLisbonShown);
        EXPECT_TRUE(view->isSaveEnabled());
    }
    {
        SCOPED_TRACE("no place and no error clears the error, keeps the place");
        lookUp(*view, "nowhere in particular");
        EXPECT_FALSE(view->error());
        EXPECT_EQ(view->resultArea(), kLisbonShown);
    }
    EXPECT_EQ(searched(), (std::vector<std::string>{"Lisbon", "xyzzy", "nowhere in particular"}));
}

TEST_F(ConfigViewTest, AFailedLookupWithNothingShownShowsTheError) {
    const auto view = makeView();
    view->appear();
    lookUp(*view, "  xyzzy ");
    EXPECT_EQ(searched().back(), "  xyzzy ") << "the text goes to the geocoder as typed";
    EXPECT_EQ(view->resultArea(),
              (ConfigView::ResultArea{std::nullopt,
                                      {"Error: No place called \u201C  xyzzy \u201D "
                                       "was found."}}));
    EXPECT_FALSE(view->isSaveEnabled());
    {
        SCOPED_TRACE("an answer with neither place nor error hides the old error");
        lookUp(*view, "nowhere in particular");
        EXPECT_EQ(view->resultArea(), ConfigView::ResultArea{});
    }
    {
        SCOPED_TRACE("a success clears the error");
        lookUp(*view, "xyzzy");
        lookUp(*view, "Lisbon");
        EXPECT_FALSE(view->error());
        EXPECT_EQ(view->resultArea(), kLisbonShown);
    }
}

TEST_F(ConfigViewTest, SaveStoresExactlyTheLookedUpPairAndCancelStoresNothing) {
    const CLLocationCoordinate2D odd{0.1 + 0.2, -9.000000000000002};
    answers_["odd"] = {{place("Odd", odd)}, {}};
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    const auto view = makeView();
    view->appear();
    lookUp(*view, "odd");
    view->save();
    EXPECT_EQ(ended_, 1);
    ASSERT_TRUE(Prefs::coordinates());
    EXPECT_TRUE(sameBits(*Prefs::coordinates(), odd)) << describe(*Prefs::coordinates());
    EXPECT_FALSE(view->saveError());

    const auto stored = fileText(home_.storeFile());
    const auto another = makeView();
    another->appear();
    lookUp(*another, "Lisbon");
    another->cancel();
    EXPECT_EQ(ended_, 2);
    EXPECT_EQ(fileText(home_.storeFile()), stored);
}

TEST_F(ConfigViewTest, WithoutAWindowOrAPlaceSaveDoesNothing) {
    {
        SCOPED_TRACE("no window: neither Save nor Cancel does anything");
        const auto view = makeView(false);
        view->appear();
        lookUp(*view, "Lisbon");
        const int changes = changes_;
        view->save();
        view->cancel();
        EXPECT_EQ(ended_, 0);
        EXPECT_EQ(changes_, changes);
        EXPECT_FALSE(fs::exists(home_.storeFile()));
    }
    {
        SCOPED_TRACE("a window but no place: Save does nothing, Cancel ends the sheet");
        const auto view = makeView();
        view->appear();
        lookUp(*view, "xyzzy");
        view->save();
        EXPECT_EQ(ended_, 0);
        EXPECT_FALSE(fs::exists(home_.storeFile()));
        view->cancel();
        EXPECT_EQ(ended_, 1);
    }
}

TEST_F(ConfigViewTest, ASaveThatCannotWriteKeepsTheSheetOpenWithTheError) {
    struct Obstacle {
        const char* name;
        std::function<bool()> put; // false when it cannot stop this process
        std::function<void()> clear;
    };
    const fs::path folder = home_.folder();
    const std::vector<Obstacle> obstacles{
        {"read-only folder",
         [&] {
             fs::create_directories(folder);
             fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
             return ::geteuid() != 0; // the superuser writes there all the same
         },
         [&] { fs::permissions(folder, fs::perms::owner_all); }},
        {"a folder where the file goes", [&] { return fs::create_directories(home_.storeFile()); },
         [&] { fs::remove_all(home_.storeFile()); }},
    };
    for (const auto& obstacle : obstacles) {
        SCOPED_TRACE(obstacle.name);
        Prefs::resetForTesting();
        const auto view = makeView();
        view->appear();
        lookUp(*view, "Lisbon");
        if (!obstacle.put()) {
            obstacle.clear();
            continue;
        }
        const int changes = changes_;
        view->save();
        EXPECT_EQ(ended_, 0) << "the sheet ended as if it had saved";
        ASSERT_TRUE(view->saveError());
        EXPECT_EQ(changes_, changes + 1);
        EXPECT_EQ(view->resultArea(),
                  (ConfigView::ResultArea{
                      kLisbon, {kLisbonShown.lines.front(), "Error: " + *view->saveError()}}));
        EXPECT_TRUE(view->isSaveEnabled()) << "the person may try again";

        obstacle.clear();
        view->save();
        EXPECT_EQ(ended_, 1);
        EXPECT_FALSE(view->saveError());
        EXPECT_EQ(Prefs::coordinates(), kLisbon);
        ended_ = 0;
        fs::remove(home_.storeFile());
    }
}

TEST_F(ConfigViewTest, ALookupAfterAFailedSaveHidesTheSaveError) {
    const auto view = makeView();
    view->appear();
    lookUp(*view, "Lisbon");
    fs::create_directories(home_.storeFile());
    view->save();
    ASSERT_TRUE(view->saveError());
    lookUp(*view, "xyzzy");
    EXPECT_FALSE(view->saveError());
    EXPECT_EQ(view->resultArea(), kLisbonShown);
}

TEST_F(ConfigViewTest, AnAnswerForASheetThatIsGoneIsDropped) {
    auto view = makeView();
    view->setLocationInput("Lisbon");
    view->lookup();
    view.reset();
    ASSERT_TRUE(queue_->runUntil([&] { return !queue_->posters().empty() && !queue_->waiting(); }));
    EXPECT_EQ(changes_, 0);
    EXPECT_FALSE(fs::exists(home_.storeFile()));
}
