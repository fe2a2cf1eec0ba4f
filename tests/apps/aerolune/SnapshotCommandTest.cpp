#include "apps/aerolune/RunAerolune.h"
#include "palette/ColorHelper.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <array>
#include <cairo.h>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;

namespace {

using Rgb = std::array<int, 3>;

class Picture {
public:
    explicit Picture(const std::filesystem::path& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Picture() { cairo_surface_destroy(surface_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_); }
    int height() const { return cairo_image_surface_get_height(surface_); }
    // (x, y) from the top-left corner, as the file stores it.
    Rgb at(int x, int y) const {
        const auto* row =
            cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        const auto pixel = reinterpret_cast<const std::uint32_t*>(row)[x];
        return {int(pixel >> 16 & 255), int(pixel >> 8 & 255), int(pixel & 255)};
    }

private:
    cairo_surface_t* surface_;
};

Rgb rgb(const Color& color) {
    return {int(std::lround(color.red() * 255)), int(std::lround(color.green() * 255)),
            int(std::lround(color.blue() * 255))};
}

int distance(const Rgb& a, const Rgb& b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The share of the sky window's pixels within `tolerance` of `colour`. The
// window of a 960x540 picture is inset by 144 on every side.
double shareNear(const Picture& picture, const Rgb& colour, int tolerance) {
    int near = 0, all = 0;
    for (int y = 144; y < 396; y += 2)
        for (int x = 144; x < 816; x += 2, ++all)
            near += distance(picture.at(x, y), colour) <= tolerance;
    return double(near) / all;
}

// Lowers the largest file this process and the programs it starts may write,
// with SIGXFSZ ignored, so that a write past it fails as on a full disc
// instead of ending the writer.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = std::min(bytes, saved_.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &lowered);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~ScopedFileSizeLimit() {
        std::signal(SIGXFSZ, previous_);
        ::setrlimit(RLIMIT_FSIZE, &saved_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

Picture snapshot(const ScopedConfigHome& home, const char* at, const char* after) {
    const auto file = home.root() / (std::string(at) + ".png");
    const auto run = runAerolune({"--snapshot", file.string(), "--size", "960x540", "--at", at,
                                  "--after", after, "--seed", "3"},
                                 home.root());
    EXPECT_EQ(run.status, 0) << run.err;
    return Picture(file);
}

} // namespace

TEST(SnapshotCommandTest, NoonTenMinutesAfterSunsetAndMidnightShowTheirSkies) {
    ScopedConfigHome home;
    ScopedTimeZone zone("Europe/Paris");
    ASSERT_FALSE(Prefs::setCoordinates({48.85, 2.35}));
    {
        SCOPED_TRACE("noon: the day sky, brighter where the clouds are");
        const Picture noon = snapshot(home, "2024-06-21T12:00:00+02:00", "6");
        ASSERT_TRUE(noon.ok());
        EXPECT_EQ(noon.width(), 960);
        // Open sky between the clouds, and cloud centres close to white.
        EXPECT_GT(shareNear(noon, rgb(ColorHelper::daySkyColor()), 6), 0.05);
        EXPECT_GT(shareNear(noon, {245, 248, 250}, 20), 0.001);
        EXPECT_LT(shareNear(noon, rgb(ColorHelper::nightSkyColor()), 30), 0.01);
    }
    {
        SCOPED_TRACE("ten minutes into the sunset: warm colours, different at top and bottom");
        const Picture dusk = snapshot(home, "2024-06-21T22:08:00+02:00", "10m");
        ASSERT_TRUE(dusk.ok());
        const Rgb top = dusk.at(480, 145), bottom = dusk.at(480, 394);
        EXPECT_GT(distance(top, bottom), 40);
        for (const Rgb& c : {top, bottom}) {
            EXPECT_GT(c[0], 200);
            EXPECT_GT(c[0], c[2] + 80);
        }
    }
    {
        SCOPED_TRACE("midnight: the night sky with stars");
        const Picture night = snapshot(home, "2024-06-22T00:00:00+02:00", "6");
        ASSERT_TRUE(night.ok());
        EXPECT_GT(shareNear(night, rgb(ColorHelper::nightSkyColor()), 3), 0.8);
        EXPECT_GT(1 - shareNear(night, rgb(ColorHelper::nightSkyColor()), 60), 0.001);
    }
}

TEST(SnapshotCommandTest, AFailedWriteSaysSoAndLeavesTheOldPictureAndNoTemporaryFile) {
    ScopedConfigHome home;
    const auto folder = home.root() / "pictures";
    std::filesystem::create_directories(folder / "album");
    const auto picture = folder / "sky.png";
    const std::vector<std::string> noonInParis{
        "--lat", "48.85", "--lon", "2.35", "--at", "2024-06-21T12:00:00Z", "--seed", "3"};
    auto snapshot = [&](const std::filesystem::path& file, const char* size) {
        std::vector<std::string> arguments{"--snapshot", file.string(), "--size", size};
        arguments.insert(arguments.end(), noonInParis.begin(), noonInParis.end());
        return runAerolune(arguments, home.root());
    };
    ASSERT_EQ(snapshot(picture, "16x16").status, 0);
    const std::string good = fileText(picture);
    ASSERT_FALSE(good.empty());

    for (const auto& [target, reason, largestFile] :
         std::vector<std::tuple<std::filesystem::path, std::string, rlim_t>>{
             {picture, "File too large", 2048},
             {folder / "album", "Is a directory", RLIM_INFINITY},
             {folder / "no/such/folder/x.png", "No such file or directory", RLIM_INFINITY},
         }) {
        SCOPED_TRACE(reason);
        ProgramRun run;
        {
            // A disc that fills up halfway through a picture of some 100 kB.
            ScopedFileSizeLimit limit(largestFile);
            run = snapshot(target, "960x540");
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "aerolune: cannot write " + target.string() + ": " + reason + "\n");
        EXPECT_TRUE(fileText(picture) == good) << "the old picture was changed";
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            left.push_back(entry.path().filename());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"album", "sky.png"}));
    }
}
