#pragma once

// The run of aerolune --wallpaper once its desktop, pictures and screen are
// known (WallpaperCommand). The saver runs as on a screen, with its
// schedule, its watch on the stored place, the time zone's guess and
// --on-battery, but draws nothing between pictures: its logic steps from one
// moment that matters to the next (SkySimulation) on a clock of its own that
// follows the real one, set or stepped with it, and the run sleeps between.
//
// A picture, of the screen's size at its scale, is set
// - at once, of the sky the saver shows at the start (--at, or now) when it
//   has run for leadSeconds already: until then it runs ahead unseen;
// - settleSeconds after each change of sky, once the old sky has faded;
// - at each step of a sunrise or sunset (every four minutes), when the
//   gradient stands at the pair of colours the step before ended on;
// - and `every` after the last one, for the backdrop's colours.
// On battery with --on-battery still, only at changes of sky. The loading
// panel is never a picture.
//
// A picture that cannot be written leaves the background as it was, and the
// run goes on (with --once it ends with status 1); a desktop whose setting
// cannot be written ends the run with status 1. Each takes one line on
// `err`.

#include "aerolune/BatteryWatch.h"
#include "aerolune/Options.h"
#include "aerolune/SaverHostView.h"
#include "desktop/BackgroundPictures.h"
#include "desktop/DesktopBackground.h"
#include "host/SkySimulation.h"
#include "platform/core/ManualClock.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <vector>

namespace aerolune {

class WallpaperRun {
public:
    static constexpr double defaultEvery = 15 * 60;
    static constexpr double settleSeconds = 6;
    // The saver starts this long before the first picture's moment, so that
    // a sunrise or sunset under way then stands at the step it has reached,
    // as it would in a saver that ran all along, not at its first.
    static constexpr double leadSeconds = 3600;

    // The real clock and a way to sleep on it: waitFor(seconds) returns when
    // they have passed, or sooner when something (a signal, the store) woke
    // it. Tests pass a manual clock and a wait that moves it.
    struct RealTime {
        Clock& clock;
        std::function<void(double seconds)> waitFor;
        // Whether to end the run (a signal came).
        std::function<bool()> ended;
    };

    // `pixels` at `scale` pixels a point.
    WallpaperRun(const Options& options, Size pixels, double scale,
                 std::unique_ptr<DesktopBackground> desktop, BackgroundPictures pictures,
                 RealTime real);

    // Called with each picture once it is the background; false ends the run
    // with status 0.
    void setObserver(std::function<bool(const std::filesystem::path&)> observer) {
        observer_ = std::move(observer);
    }

    // The exit status.
    int run(std::ostream& out, std::ostream& err);

    const SkyCoordinator& sky() const { return *host_->saver()->skySaverView()->skyCoordinator(); }
    const ManualClock& clock() const { return *clock_; }

private:
    struct Trouble {
        std::string message;
        bool withTheDesktop; // ends the run; a picture not written does not
    };

    void catchUp();
    void notice();
    // The colours a sunrise or sunset walk is heading for; none for other skies.
    std::vector<Color> colours() const;
    bool still() const { return battery_ && battery_->still(); }
    double secondsToNextMoment() const;
    std::optional<Trouble> setPicture(std::ostream& out);
    std::optional<Trouble> setDesktop(const std::filesystem::path& picture);

    const Options& options_;
    const double scale_;
    std::unique_ptr<DesktopBackground> desktop_;
    BackgroundPictures pictures_;
    RealTime real_;
    double realWall_, realMonotonic_;
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<SaverHostView> host_;
    std::unique_ptr<SkySimulation> simulation_;
    std::shared_ptr<BatteryWatch> battery_;
    std::function<bool(const std::filesystem::path&)> observer_;
    // What the last picture showed, and the view now settling since when.
    const void* picturedView_ = nullptr;
    std::vector<Color> picturedColours_;
    const void* settlingView_ = nullptr;
    std::optional<double> settlingSince_;
    std::optional<double> pictureDue_; // on the saver's monotonic clock
    bool pictureSet_ = false;
    double firstPictureAt_ = 0;
};

} // namespace aerolune
