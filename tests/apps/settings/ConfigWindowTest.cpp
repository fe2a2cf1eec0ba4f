// Drives the built aerolune-settings program on a real X display as a person
// would: typing, pressing Return, clicking, and looking at the window.

#include "geocode/PlaceSearch.h"
#include "map/MapRenderer.h"
#include "sheet/ConfigView.h"
#include "sheet/FrameAutosave.h"
#include "support/Display.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

class ConfigWindowTest : public DisplayTest {
protected:
    // The next line of the window's report that starts with `prefix` and holds `part`.
    std::string until(const std::string& prefix, const std::string& part = "") {
        while (const auto line = program_->readLine()) {
            seen_.push_back(*line);
            if (line->starts_with(prefix) && line->find(part) != std::string::npos)
                return *line;
        }
        ADD_FAILURE() << "no line \"" << prefix << "...\"; stderr: " << program_->err;
        return {};
    }
    // Starts the program and reads where its parts are once it shows a map:
    // "layout: window 560 240 800 600 map ..." in screen pixels.
    std::map<std::string, Box> start(const std::string& state) {
        program_.emplace(AEROLUNE_SETTINGS_PROGRAM, std::vector<std::string>{"--verbose"});
        until("state: " + state);
        window_ = std::stoul("0" + until("ready window=").substr(13));
        std::istringstream words(until("layout: ", " map ").substr(8));
        std::map<std::string, Box> found;
        std::string name;
        for (Box b; words >> name >> b.x >> b.y >> b.width >> b.height;)
            found[name] = b;
        return found;
    }
    void xdotool(std::vector<std::string> arguments) {
        EXPECT_EQ(runProgram("xdotool", std::move(arguments)).status, 0);
    }
    void click(Box b) {
        xdotool({"mousemove", "--sync", std::to_string(b.x + 5), std::to_string(b.y + 5), "click",
                 "1"});
    }
    // Whether a screenshot shows at least this much land and water on the map
    // and text under it, within a few seconds (the window may be on its way).
    bool shows(std::map<std::string, Box> at, double land, double water) {
        const Box window = at["window"], map = at["map"];
        const int x = map.x - window.x, y = map.y - window.y, below = y + map.height;
        const auto share = [&](const Pixels& shot, MapRenderer::Colour c) {
            const Rgb colour{int(c.red * 255 + 0.5), int(c.green * 255 + 0.5),
                             int(c.blue * 255 + 0.5)};
            return shot.count(x, y, map.width, map.height, [&](Rgb p) {
                return near(p, colour, 4);
            }) / double(map.width * map.height);
        };
        for (int attempt = 0; attempt < 20; ++attempt, std::this_thread::sleep_for(200ms)) {
            const auto shot = screenshot(window_);
            if (shot && share(*shot, MapRenderer::land) >= land &&
                share(*shot, MapRenderer::water) >= water &&
                shot->count(0, below, window.width, at["cancel"].y - window.y - below,
                            [](Rgb p) { return p.sum() < 330; }) > 40)
                return true;
        }
        return false;
    }

    ScopedConfigHome home_;
    ScopedEnvironmentVariable backend_{"GDK_BACKEND", "x11"};
    // The toolkit keeps caches for the life of the process; only the
    // program's own faults matter here.
    ScopedEnvironmentVariable leaks_{"ASAN_OPTIONS", "detect_leaks=0"}, noBus_{"NO_AT_BRIDGE", "1"};
    std::optional<Program> program_;
    unsigned long window_ = 0;
    std::vector<std::string> seen_; // every line read so far
};

// The empty field does not take the focus, so its hint shows; typing still
// goes to it. Opened again, it speaks the user's language.
TEST_F(ConfigWindowTest, OpensWithTheStoredPlaceLooksUpAnotherAndSavesItWhereCancelKeepsTheStore) {
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    ASSERT_TRUE(FrameAutosave::setFrame("Main Window", {100, 80, 820, 640}));
    auto at = start("save=enabled map=shown text=Location found: 48.500000, 2.250000");
    EXPECT_EQ(std::tuple(at["window"].x, at["window"].y, at["window"].width, at["window"].height),
              std::tuple(100, 80, 820, 640));
    EXPECT_TRUE(shows(at, 0.5, 0)) << "the country south of Paris, and its line";
    const auto ready = std::find_if(seen_.begin(), seen_.end(),
                                    [](const auto& line) { return line.starts_with("ready"); });
    const auto focus = std::find_if(std::make_reverse_iterator(ready), seen_.rend(),
                                    [](const auto& line) { return line.starts_with("focus: "); });
    EXPECT_EQ(focus == seen_.rend() ? "" : *focus, "focus: none") << "the empty field took it";
    const auto lisbon = PlaceSearch::search("Lisbon").value().at(0).coordinate;
    xdotool({"windowfocus", "--sync", std::to_string(window_)});
    xdotool({"type", "--delay", "20", "Lisbon"});
    xdotool({"key", "Return"});
    until("state: save=enabled map=shown text=" +
          ConfigView::foundText(lisbon, "Lisbon, Portugal"));
    EXPECT_TRUE(shows(at, 0.05, 0.05)) << "Lisbon's coast, and its line";
    EXPECT_EQ(std::tuple(at["field"].width, at["cancel"].width, at["save"].width, at["map"].height),
              std::tuple(200, 200, 200, 100));
    click(at["save"]);
    EXPECT_EQ(program_->wait(), 0);
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::coordinates(), lisbon);
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (FrameAutosave::Frame{100, 80, 820, 640}));

    const auto stored = fileText(home_.storeFile());
    ASSERT_TRUE(FrameAutosave::setFrame("Main Window", {0, 0, 1, 1})); // off every screen
    ScopedEnvironmentVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr),
        lang("LANG", nullptr), language("LANGUAGE", "de");
    at = start("save=enabled map=shown text=Ort gefunden: 38,716670; -9,133330");
    EXPECT_EQ(std::pair(at["window"].width, at["window"].height), std::pair(800, 600));
    EXPECT_EQ(std::count(seen_.begin(), seen_.end(),
                         "labels: title=Aerolune heading=Ort eingeben placeholder=Ort (Stadt oder "
                         "Postleitzahl) lookup=Suchen cancel=Abbrechen save=Speichern"),
              1);
    until("state: ", "Lisbon, Portugal (38,716670; -9,133330)"); // the stored place named
    click(at["cancel"]);
    EXPECT_EQ(program_->wait(), 0);
    EXPECT_EQ(fileText(home_.storeFile()), stored);
}

// A saver running while the window opens, with nothing stored: the window
// offers the time zone's city, and a Save reaches the saver, which forecasts
// for the stored place a second or so later.
TEST_F(ConfigWindowTest, ASaverRunningMeanwhileFollowsTheSaveOfTheProposedPlace) {
    ScopedEnvironmentVariable zone("TZ", "Europe/Lisbon");
    LoggedProgram saver(AEROLUNE_PROGRAM, {"--log-stderr"});
    ASSERT_TRUE(saver.awaitLine("SkyCoordinator failed")) << "the saver found a place";
    click(
        start("save=enabled map=shown text=Location found: Lisbon (38.716667, -9.133333)")["save"]);
    EXPECT_EQ(program_->wait(), 0);
    const auto saved = std::chrono::steady_clock::now();
    EXPECT_TRUE(saver.awaitLine("the stored location changed: forecasting again")) << saver.seen;
    EXPECT_TRUE(saver.awaitLine(
        "[vemo] getLocation \u2026\u00a0Optional(CLLocationCoordinate2D(latitude: 38.71666"))
        << saver.seen;
    // The watch waits a second for the writer's burst to settle; more than a
    // few is a fault, though a sanitizer build on a busy machine may be slow.
    EXPECT_LT(std::chrono::steady_clock::now() - saved, 10s);
    ::kill(saver.pid(), SIGTERM);
    EXPECT_EQ(saver.wait(10s), 0);
}
