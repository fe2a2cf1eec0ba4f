#include "sheet/ConfigView.h"

#include "platform/core/Localization.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"
#include "support/TestMainQueue.h"

#include <cmath>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;
using namespace aerolune::test;
using Area = ConfigView::ResultArea;
using Lines = std::vector<std::string>;

constexpr CLLocationCoordinate2D kLisbon{38.71667, -9.13333}, kOdd{0.1 + 0.2, -9.000000000000002};
const Area kLisbonShown{kLisbon, {"Location found: Lisbon, Portugal (38.716670, -9.133330)"}};

static PlaceCandidate portuguese(const std::string& name, CLLocationCoordinate2D at) {
    return PlaceCandidate{name, {}, {}, "Portugal", "PT", at, 1, {}};
}

// A sheet in a window whose ending is counted, over a geocoder whose answers
// the test chooses (a search for "slow" waits for the gate) and whose main
// loop the test runs.
class ConfigViewTest : public ::testing::Test {
protected:
    std::shared_ptr<ConfigView> makeView(bool inAWindow = true) {
        window_->setEndSheetHandler([this] { ++ended_; });
        auto search = [gate = gate_](const std::string& text) -> GeocodeResult {
            const std::map<std::string, CLLocationCoordinate2D> places{
                {"Lisbon", kLisbon}, {"odd", kOdd}, {"slow", {48.85, 2.35}}, {"equator", {0, 10}}};
            if (text == "slow")
                gate.wait();
            if (!places.count(text))
                return text == "nothing" ? GeocodeResult(std::vector<PlaceCandidate>{})
                                         : GeocodeError::notFound(text);
            return std::vector{portuguese(text, places.at(text))};
        };
        // Lisbon's surroundings are named; a place by the slow gate, late.
        auto name = [gate = gate_](CLLocationCoordinate2D at) -> std::optional<PlaceCandidate> {
            if (at.latitude == 60)
                gate.wait();
            if (std::abs(at.latitude - kLisbon.latitude) > 0.2 && at.latitude != 60)
                return std::nullopt;
            return portuguese("Lisbon", kLisbon);
        };
        auto view =
            ConfigView::create(inAWindow ? window_ : nullptr,
                               Geocoder(queue_->poster(), std::move(search), std::move(name)));
        view->setChangeHandler([this] { ++changes_; });
        if (proposal_)
            view->propose(*proposal_);
        view->appear();
        return view;
    }
    // Runs the main loop until `posts` answers in all have come and run.
    void drain(std::size_t posts) {
        ASSERT_TRUE(queue_->runUntil(
            [&] { return queue_->posters().size() >= posts && !queue_->waiting(); }));
    }
    // Types the text, runs Lookup and lets the answer arrive.
    void lookUp(ConfigView& view, const std::string& text) {
        view.setLocationInput(text);
        const int before = changes_;
        view.lookup();
        EXPECT_EQ(changes_, before) << "the answer came inside lookup()";
        ASSERT_TRUE(queue_->runUntil([&] { return changes_ > before; })) << "no answer";
    }

    ScopedConfigHome home_;
    std::shared_ptr<TestMainQueue> queue_ = std::make_shared<TestMainQueue>();
    std::shared_ptr<SheetWindow> window_ = std::make_shared<SheetWindow>();
    std::promise<void> openGate_;
    std::shared_future<void> gate_ = openGate_.get_future().share();
    int ended_ = 0;
    int changes_ = 0;
    std::optional<PlaceCandidate> proposal_;
};

// The stored place on appearance, and the time zone's city proposed by the
// window's sheet, are ConfigWindowTest's.
TEST_F(ConfigViewTest, AFailedLookupShowsItsErrorOnlyWhileNoPlaceIsShown) {
    const auto view = makeView();
    EXPECT_EQ(view->resultArea(), Area{});
    lookUp(*view, " xyzzy");
    EXPECT_EQ(view->resultArea(),
              (Area{std::nullopt, {"Error: No place called \u201C xyzzy\u201D was found."}}))
        << "the text goes to the geocoder as typed";
    lookUp(*view, "nothing");
    EXPECT_EQ(view->resultArea(), Area{}) << "an answer without an error hides the old one";
    lookUp(*view, "Lisbon");
    EXPECT_EQ(view->resultArea(), kLisbonShown);
    lookUp(*view, "xyzzy");
    EXPECT_EQ(view->resultArea(), kLisbonShown) << "a failure took the place away";
}

// A place on the equator is shown and stored just off it, as the store keeps it.
TEST_F(ConfigViewTest, OnlyASaveThatWritesStoresAndItStoresExactlyTheLookedUpPair) {
    const auto preview = makeView(false);
    lookUp(*preview, "odd");
    preview->save();
    preview->cancel();
    EXPECT_EQ(ended_, 0) << "a sheet without a window ended";
    EXPECT_FALSE(std::filesystem::exists(home_.storeFile()));
    const auto view = makeView();
    view->save();
    EXPECT_EQ(ended_, 0) << "Save without a place";
    lookUp(*view, "odd");
    view->save();
    EXPECT_EQ(ended_, 1);
    const auto stored = Prefs::coordinates().value_or(CLLocationCoordinate2D{});
    EXPECT_EQ(std::memcmp(&stored, &kOdd, sizeof kOdd), 0) << describe(stored);
    const auto text = fileText(home_.storeFile());
    const auto cancelled = makeView();
    lookUp(*cancelled, "Lisbon");
    cancelled->cancel();
    EXPECT_EQ(ended_, 2);
    EXPECT_EQ(fileText(home_.storeFile()), text);
    const auto equator = makeView();
    lookUp(*equator, "equator");
    const Area shown{CLLocationCoordinate2D{0.000001, 10},
                     {"Location found: equator, Portugal (0.000001, 10.000000)"}};
    EXPECT_EQ(equator->resultArea(), shown);
    // A save that cannot write keeps the sheet open with the error.
    std::filesystem::remove(home_.storeFile());
    std::filesystem::create_directories(home_.storeFile()); // stops the superuser too
    equator->save();
    EXPECT_EQ(ended_, 2) << "the sheet ended as if it had saved";
    ASSERT_TRUE(equator->saveError());
    EXPECT_EQ(equator->resultArea(),
              (Area{shown.mapCentre, {shown.lines[0], "Error: " + *equator->saveError()}}));
    lookUp(*equator, "xyzzy");
    EXPECT_EQ(equator->resultArea(), shown) << "a new lookup hides the old failure";
    std::filesystem::remove(home_.storeFile());
    equator->save();
    EXPECT_EQ(ended_, 3);
    EXPECT_EQ(Prefs::coordinates(), shown.mapCentre);
}

// The stored place is named only after the gate opens.
TEST_F(ConfigViewTest, OnlyTheLatestAnswerChangesTheSheetAndOnlyWhileItLives) {
    ASSERT_TRUE(Prefs::setCoordinates({60, 10}));
    const auto view = makeView();
    view->setLocationInput("slow");
    view->lookup();
    lookUp(*view, "odd");
    auto gone = makeView();
    const int changes = changes_;
    gone->lookup();
    gone.reset();
    openGate_.set_value();
    drain(5);
    EXPECT_EQ(changes_, changes) << "a late or orphaned answer changed a sheet";
    EXPECT_EQ(view->placeName(), "odd, Portugal") << "renamed by a late name";
    view->save();
    EXPECT_EQ(Prefs::coordinates(), kOdd) << "the overtaken answer was saved";
}

// A place is proposed only while nothing is stored.
TEST_F(ConfigViewTest, AStoredPlaceIsNamedByTheNearestPlaceAndKeepsItsNameThroughAFailedLookup) {
    proposal_ = portuguese("Porto", {41.15, -8.61});
    const auto proposed = makeView();
    EXPECT_EQ(proposed->resultArea().lines,
              Lines{"Location found: Porto, Portugal (41.150000, -8.610000)"});
    EXPECT_EQ(proposed->locationInput(), "Porto") << "its name in the field";
    EXPECT_FALSE(Prefs::coordinates()) << "a proposal is not stored before Save";
    proposed->save();
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{41.15, -8.61}));
    ASSERT_TRUE(Prefs::setCoordinates({38.7, -9.1}));
    const auto view = makeView(); // the stored place wins over the proposal
    EXPECT_EQ(view->resultArea(),
              (Area{CLLocationCoordinate2D{38.7, -9.1}, {"Location found: 38.700000, -9.100000"}}))
        << "the coordinates show at once, the name when the gazetteer answers";
    drain(1);
    const Lines named{"Location found: Lisbon, Portugal (38.700000, -9.100000)"};
    EXPECT_EQ(view->resultArea().lines, named);
    lookUp(*view, "xyzzy");
    EXPECT_EQ(view->resultArea().lines, named) << "a failed lookup took the name away";
    lookUp(*view, "odd");
    EXPECT_EQ(view->placeName(), "odd, Portugal") << "a place looked up is named as found";

    // Far from any place of the gazetteer, the coordinates alone.
    ASSERT_TRUE(Prefs::setCoordinates({-50, -140}));
    const auto posts = queue_->posters().size();
    const auto alone = makeView();
    drain(posts + 1);
    EXPECT_EQ(alone->resultArea().lines, Lines{"Location found: -50.000000, -140.000000"});
}

TEST_F(ConfigViewTest, TheResultAreaSpeaksTheUsersLanguageWithItsDecimalSeparator) {
    ScopedEnvironmentVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr),
        lang("LANG", nullptr), language("LANGUAGE", "de");
    Localization::start(AEROLUNE_BUILD_LOCALE_DIR, Localization::Categories::messages);
    EXPECT_EQ(ConfigView::foundText({38.5, -9.25}, "Lissabon, Portugal"),
              "Ort gefunden: Lissabon, Portugal (38,500000; -9,250000)");
    const auto view = makeView();
    lookUp(*view, "xyzzy");
    EXPECT_EQ(view->resultArea().lines, Lines{"Fehler: Kein Ort namens „xyzzy“ gefunden."});
}
