// Drives the built aerolune-settings program on a real X display as a person
// would: typing, pressing Return, clicking, and looking at the window.

#include "geocode/PlaceSearch.h"
#include "map/MapRenderer.h"
#include "sheet/ConfigView.h"
#include "sheet/FrameAutosave.h"
#include "support/Display.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <map>
#include <sstream>

using namespace aerolune;
using namespace aerolune::test;

namespace {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

class ConfigWindowTest : public DisplayTest {
protected:
    // The next line of the window's report that starts with `prefix` and holds `part`.
    std::string until(const std::string& prefix, const std::string& part = "") {
        while (const auto line = program_->readLine())
            if (line->starts_with(prefix) && line->find(part) != std::string::npos)
                return *line;
        ADD_FAILURE() << "no line \"" << prefix << "...\"; stderr: " << program_->err;
        return {};
    }
    // The parts of a "layout: window 560 240 800 600 field ..." line, in the window.
    std::map<std::string, Box> layout() {
        std::istringstream words(until("layout: ", " map ").substr(8));
        std::map<std::string, Box> found;
        std::string name;
        for (Box b; words >> name >> b.x >> b.y >> b.width >> b.height;)
            found[name] = b;
        for (auto& [name, box] : found)
            box.x -= found["window"].x * (name != "window"),
                box.y -= found["window"].y * (name != "window");
        return found;
    }
    void xdotool(std::vector<std::string> arguments) {
        EXPECT_EQ(runProgram("xdotool", std::move(arguments)).status, 0);
    }
    void click(Box window, Box button) {
        xdotool({"mousemove", "--sync", std::to_string(window.x + button.x + button.width / 2),
                 std::to_string(window.y + button.y + button.height / 2), "click", "1"});
    }
    // Screenshots until the map shows at least this much land and water, and
    // the line under it some text (the window may still be on its way).
    void expectMapAndLine(unsigned long window, Box map, Box line, double land, double water) {
        const Rgb landColour = rgb(MapRenderer::land), waterColour = rgb(MapRenderer::water);
        double landShare = 0, waterShare = 0;
        int text = 0;
        for (int attempt = 0; attempt < 20; ++attempt, std::this_thread::sleep_for(200ms)) {
            const auto shot = screenshot(window);
            if (!shot)
                continue;
            const auto share = [&](Rgb c) {
                return shot->count(map.x, map.y, map.width, map.height, [&](Rgb p) {
                    return near(p, c, 4);
                }) / double(map.width * map.height);
            };
            landShare = share(landColour), waterShare = share(waterColour);
            text = shot->count(line.x, line.y, line.width, line.height,
                               [](Rgb p) { return p.sum() < 330; });
            if (landShare >= land && waterShare >= water && text > 40)
                return;
        }
        ADD_FAILURE() << "land " << landShare << ", water " << waterShare << ", text " << text;
    }
    static Rgb rgb(MapRenderer::Colour c) {
        return {int(c.red * 255 + 0.5), int(c.green * 255 + 0.5), int(c.blue * 255 + 0.5)};
    }

    ScopedConfigHome home_;
    ScopedEnvironmentVariable backend_{"GDK_BACKEND", "x11"}, bus_{"NO_AT_BRIDGE", "1"};
    // The toolkit keeps caches for the life of the process; only the
    // program's own faults matter here.
    ScopedEnvironmentVariable leaks_{"ASAN_OPTIONS", "detect_leaks=0"};
    std::optional<Program> program_;
};

} // namespace

TEST_F(ConfigWindowTest, LooksUpAPlaceShowsItOnTheMapAndSavesIt) {
    const auto lisbon = PlaceSearch::search("Lisbon").value().at(0).coordinate;
    program_.emplace(AEROLUNE_SETTINGS_PROGRAM, std::vector<std::string>{"--verbose"});
    until("state: save=disabled map=hidden text=");
    const auto ready = until("ready window=");
    xdotool({"windowfocus", "--sync", ready.substr(ready.find('=') + 1)});
    xdotool({"type", "--delay", "20", "xyzzy"});
    xdotool({"key", "Return"});
    until("state: save=disabled map=hidden text=Error: No place called \u201Cxyzzy\u201D");
    xdotool({"key", "ctrl+a", "type", "--delay", "20", "Lisbon"});
    xdotool({"key", "Return"});
    until("state: save=enabled map=shown text=" + ConfigView::foundText(lisbon));
    auto parts = layout();
    const Box window = parts["window"], map = parts["map"], save = parts["save"];
    EXPECT_EQ(std::pair(window.width, window.height), std::pair(800, 600));
    EXPECT_EQ(std::pair(map.width, map.height), std::pair(200, 100));
    for (const char* control : {"field", "cancel", "save"})
        EXPECT_EQ(parts[control].width, 200) << control;
    expectMapAndLine(std::stoul(ready.substr(13)), map,
                     {0, map.y + map.height, 800, save.y - map.y - map.height}, 0.05, 0.05);
    click(window, save);
    EXPECT_EQ(program_->wait(), 0);
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::coordinates(), lisbon);
    EXPECT_EQ(FrameAutosave::frame("Main Window"),
              (FrameAutosave::Frame{window.x, window.y, 800, 600}));
}

TEST_F(ConfigWindowTest, OpensWithTheStoredPlaceWhereItWasLeftAndCancelKeepsTheStore) {
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    ASSERT_TRUE(FrameAutosave::setFrame("Main Window", {100, 80, 820, 640}));
    const auto stored = fileText(home_.storeFile());
    program_.emplace(AEROLUNE_SETTINGS_PROGRAM, std::vector<std::string>{"--verbose"});
    until("state: save=enabled map=shown text=Location found: 48.500000, 2.250000");
    const auto ready = until("ready window=");
    auto parts = layout();
    const Box window = parts["window"], map = parts["map"], cancel = parts["cancel"];
    EXPECT_EQ(std::tuple(window.x, window.y, window.width, window.height),
              std::tuple(100, 80, 820, 640));
    expectMapAndLine(std::stoul(ready.substr(13)), map,
                     {0, map.y + map.height, 820, cancel.y - map.y - map.height}, 0.5, 0);
    click(window, cancel);
    EXPECT_EQ(program_->wait(), 0);
    EXPECT_EQ(fileText(home_.storeFile()), stored);
}
