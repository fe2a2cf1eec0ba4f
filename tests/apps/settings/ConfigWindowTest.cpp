// Drives the built aerolune-settings program on a real X display as a person
// would: typing, pressing Return, clicking, and looking at the screen.

#include "geocode/PlaceSearch.h"
#include "map/MapRenderer.h"
#include "sheet/ConfigView.h"
#include "sheet/FrameAutosave.h"
#include "support/ScopedConfigHome.h"

#include <array>
#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace aerolune;
using namespace aerolune::test;
using namespace std::chrono_literals;

namespace {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The program with --verbose, reporting on a file that the test reads as it
// grows. One still running at the end is stopped.
class SettingsProgram {
public:
    explicit SettingsProgram(const std::filesystem::path& scratch) : out_(scratch / "out.txt") {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        char* arguments[] = {const_cast<char*>(AEROLUNE_SETTINGS_PROGRAM),
                             const_cast<char*>("--verbose"), nullptr};
        EXPECT_EQ(::posix_spawn(&pid_, arguments[0], &files, nullptr, arguments, environ), 0);
        posix_spawn_file_actions_destroy(&files);
    }
    ~SettingsProgram() {
        if (!status_ && ::kill(pid_, SIGTERM) == 0)
            ::waitpid(pid_, nullptr, 0);
    }

    // The latest line starting with `prefix` and holding `part`, once there is one.
    std::optional<std::string> line(const std::string& prefix, const std::string& part = {}) {
        for (int i = 0; i < 400; ++i, std::this_thread::sleep_for(50ms)) {
            std::istringstream text(output());
            std::optional<std::string> found;
            for (std::string line; std::getline(text, line);)
                if (line.starts_with(prefix) && line.find(part) != std::string::npos)
                    found = line;
            if (found)
                return found;
        }
        return std::nullopt;
    }
    std::optional<int> exitStatus() {
        for (int i = 0, raw = 0; i < 400 && !status_; ++i, std::this_thread::sleep_for(50ms))
            if (::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return status_;
    }
    std::string output() const { return fileText(out_); }

private:
    std::filesystem::path out_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// "layout: window 560 240 800 600 field ..." as named rectangles.
std::map<std::string, Rect> parts(const std::string& layout) {
    std::istringstream words(layout.substr(layout.find(':') + 1));
    std::map<std::string, Rect> found;
    std::string name;
    for (Rect r; words >> name >> r.x >> r.y >> r.width >> r.height;)
        found[name] = r;
    return found;
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

void click(Rect button) {
    xdotool("mousemove --sync " + std::to_string(button.x + button.width / 2) + " " +
            std::to_string(button.y + button.height / 2) + " click 1");
}

struct Seen {
    double water = 0, land = 0; // shares of the map
    int textPixels = 0;         // dark pixels of the line under it
};

Seen look(cairo_surface_t* shot, Rect map, Rect line) {
    const auto pixel = [&](int x, int y) {
        const auto* row =
            cairo_image_surface_get_data(shot) + y * cairo_image_surface_get_stride(shot);
        const auto value = reinterpret_cast<const std::uint32_t*>(row)[x];
        return std::array<int, 3>{int(value >> 16 & 0xFF), int(value >> 8 & 0xFF),
                                  int(value & 0xFF)};
    };
    const auto is = [](std::array<int, 3> p, MapRenderer::Colour c) {
        return std::abs(p[0] - c.red * 255) <= 4 && std::abs(p[1] - c.green * 255) <= 4 &&
               std::abs(p[2] - c.blue * 255) <= 4;
    };
    Seen seen;
    for (int y = map.y; y < map.y + map.height; ++y)
        for (int x = map.x; x < map.x + map.width; ++x) {
            seen.water += is(pixel(x, y), MapRenderer::water) / double(map.width * map.height);
            seen.land += is(pixel(x, y), MapRenderer::land) / double(map.width * map.height);
        }
    for (int y = line.y; y < line.y + line.height; ++y)
        for (int x = line.x; x < line.x + line.width; ++x)
            seen.textPixels += pixel(x, y)[0] + pixel(x, y)[1] + pixel(x, y)[2] < 330;
    return seen;
}

// Screenshots until one satisfies `enough` (the window may still be on its
// way to the screen); the last is kept for a person to look at.
Seen screenshot(const std::string& name, Rect map, Rect line, bool (*enough)(const Seen&)) {
    const auto file = testing::TempDir() + "aerolune-settings-" + name + ".png";
    Seen seen;
    for (int i = 0; i < 20 && !enough(seen); ++i, std::this_thread::sleep_for(200ms)) {
        if (std::system(("import -window root '" + file + "'").c_str()) != 0)
            continue;
        cairo_surface_t* shot = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(shot) == CAIRO_STATUS_SUCCESS)
            seen = look(shot, map, line);
        cairo_surface_destroy(shot);
    }
    return seen;
}

// Everything about the program but what needs a display.
class ConfigWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY";
    }
    ScopedConfigHome home_;
    ScopedEnvironmentVariable backend_{"GDK_BACKEND", "x11"};
    ScopedEnvironmentVariable noAccessibilityBus_{"NO_AT_BRIDGE", "1"};
    // The toolkit keeps caches for the life of the process; only the
    // program's own faults matter here.
    ScopedEnvironmentVariable leaks_{"ASAN_OPTIONS", "detect_leaks=0"};
};

} // namespace

TEST_F(ConfigWindowTest, LooksUpAPlaceShowsItOnTheMapAndSavesIt) {
    const auto lisbon = PlaceSearch::search("Lisbon").coordinate().value();
    SettingsProgram program(home_.root());
    const auto ready = program.line("ready window=");
    ASSERT_TRUE(ready) << program.output();
    EXPECT_EQ(program.line("state: "), "state: save=disabled map=hidden text=");
    xdotool("windowfocus --sync " + ready->substr(ready->find('=') + 1));
    xdotool("type --delay 20 xyzzy");
    xdotool("key Return");
    EXPECT_TRUE(program.line("state: save=disabled map=hidden text=Error: No place called"));
    xdotool("key ctrl+a");
    xdotool("type --delay 20 Lisbon");
    xdotool("key Return");
    ASSERT_TRUE(program.line("state: save=enabled map=shown text=" + ConfigView::foundText(lisbon)))
        << program.output();

    const auto layout = parts(program.line("layout: ", " map ").value_or(""));
    ASSERT_EQ(layout.size(), 5u) << program.output();
    const Rect window = layout.at("window"), map = layout.at("map"), save = layout.at("save");
    EXPECT_EQ(std::pair(window.width, window.height), std::pair(800, 600));
    EXPECT_EQ(std::pair(map.width, map.height), std::pair(200, 100));
    for (const char* control : {"field", "cancel", "save"})
        EXPECT_EQ(layout.at(control).width, 200) << control;
    const Rect line{window.x, map.y + map.height, window.width, save.y - map.y - map.height};
    const auto seen = screenshot("lisbon", map, line, [](const Seen& s) {
        return s.water > 0.05 && s.land > 0.05 && s.textPixels > 40;
    });
    EXPECT_GT(seen.water, 0.05) << "no sea on the map";
    EXPECT_GT(seen.land, 0.05) << "no land on the map";
    EXPECT_GT(seen.textPixels, 40) << "no \"Location found: \" line";

    click(save);
    EXPECT_EQ(program.exitStatus(), 0) << program.output();
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::coordinates(), lisbon);
    EXPECT_EQ(FrameAutosave::frame("Main Window"),
              (FrameAutosave::Frame{window.x, window.y, window.width, window.height}));
}

TEST_F(ConfigWindowTest, OpensWithTheStoredPlaceWhereItWasLeftAndCancelKeepsTheStore) {
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    ASSERT_FALSE(FrameAutosave::setFrame("Main Window", {100, 80, 820, 640}));
    const auto stored = fileText(home_.storeFile());
    SettingsProgram program(home_.root());
    EXPECT_TRUE(
        program.line("state: save=enabled map=shown text=Location found: 48.500000, 2.250000"));
    const auto layout = parts(program.line("layout: window 100 80 820 640 ", " map ").value_or(""));
    ASSERT_EQ(layout.size(), 5u) << program.output();
    const Rect map = layout.at("map"), cancel = layout.at("cancel");
    const Rect line{100, map.y + map.height, 820, cancel.y - map.y - map.height};
    const auto seen = screenshot("stored", map, line,
                                 [](const Seen& s) { return s.land > 0.5 && s.textPixels > 40; });
    EXPECT_GT(seen.land, 0.5) << "the country south of Paris is land";
    click(cancel);
    EXPECT_EQ(program.exitStatus(), 0) << program.output();
    EXPECT_EQ(fileText(home_.storeFile()), stored);
}
