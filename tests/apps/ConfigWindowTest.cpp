// Drives the built aerolune-settings program on a real X display, as a person
// would: typing, pressing Return, clicking, and looking at the screen.

#include "settings/ConfigView.h"
#include "settings/FrameAutosave.h"
#include "settings/MapRenderer.h"
#include "settings/PlaceSearch.h"
#include "support/ScopedConfigHome.h"

#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace aerolune;
using namespace aerolune::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int centreX() const { return x + width / 2; }
    int centreY() const { return y + height / 2; }
};

// The program with --verbose, its standard output in a file that the test
// reads as it grows. A program still running at the end is stopped.
class SettingsProgram {
public:
    explicit SettingsProgram(const fs::path& scratch) : out_(scratch / "settings-out.txt") {
        // Everything the child needs is made before fork: after it, only exec.
        std::vector<std::string> variables{"GDK_BACKEND=x11", "NO_AT_BRIDGE=1"};
        const char* asan = std::getenv("ASAN_OPTIONS");
        // The toolkit keeps caches for the life of the process; only this
        // program's own faults matter here.
        variables.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":detect_leaks=0");
        for (char** variable = environ; *variable; ++variable) {
            const std::string_view text = *variable;
            if (!text.starts_with("GDK_BACKEND=") && !text.starts_with("ASAN_OPTIONS="))
                variables.emplace_back(text);
        }
        std::vector<char*> environment;
        for (auto& variable : variables)
            environment.push_back(variable.data());
        environment.push_back(nullptr);
        const std::string outPath = out_, errPath = scratch / "settings-err.txt";
        char program[] = AEROLUNE_SETTINGS_PROGRAM;
        char verbose[] = "--verbose";
        char* arguments[] = {program, verbose, nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execve(program, arguments, environment.data());
            ::_exit(127);
        }
    }
    ~SettingsProgram() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SettingsProgram(const SettingsProgram&) = delete;
    SettingsProgram& operator=(const SettingsProgram&) = delete;

    // The latest line that starts with `prefix` and holds `part`, once there
    // is one; nothing after a generous wait.
    std::optional<std::string> waitForLine(const std::string& prefix,
                                           const std::string& part = {}) {
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(50ms)) {
            std::istringstream text(fileText(out_));
            std::optional<std::string> found;
            for (std::string line; std::getline(text, line);) {
                if (line.starts_with(prefix) && line.find(part) != std::string::npos)
                    found = line;
            }
            if (found)
                return found;
        }
        return std::nullopt;
    }

    std::optional<int> waitForExit() {
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             !status_ && std::chrono::steady_clock::now() < deadline;
             std::this_thread::sleep_for(50ms)) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return status_;
    }

    std::string output() const { return fileText(out_); }

private:
    fs::path out_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// "layout: window 560 240 800 600 field ..." as named rectangles.
std::map<std::string, Rect> parseLayout(const std::string& line) {
    std::istringstream words(line.substr(line.find(':') + 1));
    std::map<std::string, Rect> parts;
    std::string name;
    Rect rect;
    while (words >> name >> rect.x >> rect.y >> rect.width >> rect.height)
        parts[name] = rect;
    return parts;
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Screenshot = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

Screenshot takeScreenshot(const fs::path& file) {
    const std::string command = "import -window root '" + file.string() + "'";
    if (std::system(command.c_str()) != 0)
        return nullptr;
    Screenshot shot(cairo_image_surface_create_from_png(file.c_str()));
    if (cairo_surface_status(shot.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return shot;
}

struct Counts {
    double water = 0, land = 0; // shares of the rectangle
    int dark = 0;               // pixels dark enough to be text
};

Counts count(cairo_surface_t* shot, Rect area) {
    const auto near = [](std::uint32_t pixel, MapRenderer::Colour colour) {
        const auto close = [](int value, double expected) {
            return std::abs(value - expected * 255) <= 4;
        };
        return close(pixel >> 16 & 0xFF, colour.red) && close(pixel >> 8 & 0xFF, colour.green) &&
               close(pixel & 0xFF, colour.blue);
    };
    Counts counts;
    const int width = cairo_image_surface_get_width(shot);
    const int height = cairo_image_surface_get_height(shot);
    int pixels = 0;
    for (int y = std::max(0, area.y); y < std::min(height, area.y + area.height); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(shot) + y * cairo_image_surface_get_stride(shot));
        for (int x = std::max(0, area.x); x < std::min(width, area.x + area.width); ++x) {
            const std::uint32_t pixel = row[x];
            ++pixels;
            counts.water += near(pixel, MapRenderer::water);
            counts.land += near(pixel, MapRenderer::land);
            counts.dark += (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF) < 3 * 110;
        }
    }
    if (pixels > 0) {
        counts.water /= pixels;
        counts.land /= pixels;
    }
    return counts;
}

// Takes screenshots until `shows` is content with one (the window may still
// be on its way to the screen), and keeps the last one for a person to see.
Counts lookAt(const std::string& name, Rect map, Rect textLine,
              const std::function<bool(const Counts& map, const Counts& text)>& shows) {
    const fs::path file = testing::TempDir() + "aerolune-settings-" + name + ".png";
    Counts onMap, onText;
    for (int attempt = 0; attempt < 20; ++attempt, std::this_thread::sleep_for(200ms)) {
        const auto shot = takeScreenshot(file);
        if (!shot)
            continue;
        onMap = count(shot.get(), map);
        onText = count(shot.get(), textLine);
        if (shows(onMap, onText))
            break;
    }
    std::cout << "screenshot: " << file.string() << "\n";
    return onMap;
}

bool displayPresent() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

} // namespace

TEST(ConfigWindowTest, HelpAndWrongOptionsNeedNoDisplay) {
    const std::string program = AEROLUNE_SETTINGS_PROGRAM;
    const auto scratch = fs::path(testing::TempDir());
    EXPECT_EQ(std::system((program + " --help >'" + (scratch / "help.txt").string() + "'").c_str()),
              0);
    const std::string help = fileText(scratch / "help.txt");
    EXPECT_NE(help.find("Usage: aerolune-settings"), std::string::npos);
    EXPECT_NE(help.find("  --verbose"), std::string::npos);
    const int wrong = std::system((program + " --bogus 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(wrong), 2);
}

TEST(ConfigWindowTest, LooksUpAPlaceShowsItOnTheMapAndSavesIt) {
    if (!displayPresent())
        GTEST_SKIP() << "no DISPLAY";
    ScopedConfigHome home;
    const auto lisbon = PlaceSearch::search("Lisbon").coordinate().value();
    SettingsProgram program(home.root());

    const auto ready = program.waitForLine("ready window=");
    ASSERT_TRUE(ready) << program.output();
    EXPECT_EQ(program.waitForLine("state: "), "state: save=disabled map=hidden text=");
    const std::string window = ready->substr(ready->find('=') + 1);
    xdotool("windowfocus --sync " + window);

    xdotool("type --delay 20 xyzzy");
    xdotool("key Return");
    ASSERT_TRUE(program.waitForLine(
        "state: save=disabled map=hidden text=Error: No place called \u201Cxyzzy\u201D was found."))
        << program.output();

    xdotool("key ctrl+a");
    xdotool("type --delay 20 Lisbon");
    xdotool("key Return");
    ASSERT_TRUE(
        program.waitForLine("state: save=enabled map=shown text=" + ConfigView::foundText(lisbon)))
        << program.output();
    const auto layoutLine = program.waitForLine("layout: ", " map ");
    ASSERT_TRUE(layoutLine) << program.output();
    const auto layout = parseLayout(*layoutLine);
    const Rect map = layout.at("map"), save = layout.at("save"), frame = layout.at("window");
    EXPECT_EQ(map.width, MapRenderer::width);
    EXPECT_EQ(map.height, MapRenderer::height);
    EXPECT_EQ(save.width, 200);
    EXPECT_EQ(layout.at("cancel").width, 200);
    EXPECT_EQ(layout.at("field").width, 200);
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);

    // The "Location found: " line lies between the map and the buttons.
    const Rect textLine{frame.x, map.y + map.height, frame.width, save.y - map.y - map.height};
    const auto onMap = lookAt("lisbon", map, textLine, [](const Counts& m, const Counts& t) {
        return m.water > 0.05 && m.land > 0.05 && t.dark > 40;
    });
    EXPECT_GT(onMap.water, 0.05) << "no water where the map should be";
    EXPECT_GT(onMap.land, 0.05) << "no land where the map should be";

    xdotool("mousemove --sync " + std::to_string(save.centreX()) + " " +
            std::to_string(save.centreY()) + " click 1");
    EXPECT_EQ(program.waitForExit(), 0) << program.output();
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::coordinates(), lisbon);
    EXPECT_EQ(FrameAutosave::frame("Main Window"),
              (FrameAutosave::Frame{frame.x, frame.y, frame.width, frame.height}));
}

TEST(ConfigWindowTest, OpensWithTheStoredPlaceWhereItWasLeftAndCancelKeepsTheStore) {
    if (!displayPresent())
        GTEST_SKIP() << "no DISPLAY";
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    ASSERT_FALSE(FrameAutosave::setFrame("Main Window", {100, 80, 820, 640}));
    const auto stored = fileText(home.storeFile());
    SettingsProgram program(home.root());

    ASSERT_TRUE(program.waitForLine(
        "state: save=enabled map=shown text=Location found: 48.500000, 2.250000"))
        << program.output();
    const auto layoutLine = program.waitForLine("layout: window 100 80 820 640", " map ");
    ASSERT_TRUE(layoutLine) << program.output();
    const auto layout = parseLayout(*layoutLine);
    const Rect map = layout.at("map"), cancel = layout.at("cancel");
    const Rect textLine{100, map.y + map.height, 820, cancel.y - map.y - map.height};
    const auto onMap = lookAt("stored", map, textLine, [](const Counts& m, const Counts& t) {
        return m.land > 0.5 && t.dark > 40;
    });
    EXPECT_GT(onMap.land, 0.5) << "the country south of Paris is land";

    xdotool("mousemove --sync " + std::to_string(cancel.centreX()) + " " +
            std::to_string(cancel.centreY()) + " click 1");
    EXPECT_EQ(program.waitForExit(), 0) << program.output();
    EXPECT_EQ(fileText(home.storeFile()), stored);
}
