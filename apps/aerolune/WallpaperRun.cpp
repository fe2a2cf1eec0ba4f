#include "aerolune/WallpaperRun.h"

#include "aerolune/SaverSetup.h"
#include "platform/core/Clock.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "platform/output/PngOutput.h"
#include "transitions/SkyTransitionView.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <system_error>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

// How far ahead a run with nothing due looks for the saver's next step.
constexpr double horizonSeconds = 86400;

// Whether a setting already shows one of our pictures (an earlier run whose
// saved setting was put back by hand): not worth putting back.
bool showsAPicture(const BackgroundPictures& pictures, const DesktopBackground::Setting& setting) {
    for (const auto& [key, value] : setting)
        if (pictures.isPicture(value))
            return true;
    return false;
}

} // namespace

WallpaperRun::WallpaperRun(const Options& options, Size pixels, double scale,
                           std::unique_ptr<DesktopBackground> desktop, BackgroundPictures pictures,
                           RealTime real)
    : options_(options), scale_(scale), desktop_(std::move(desktop)),
      pictures_(std::move(pictures)), real_(std::move(real)), realWall_(real_.clock.now()),
      realMonotonic_(real_.clock.monotonic()),
      clock_(std::make_shared<ManualClock>(options.at.value_or(realWall_) - leadSeconds)) {
    Clock::setCurrent(clock_);
    MainQueue::main().reset();
    SaverSetup::apply(options_, SaverSetup::Run::onScreen);
    const Size points{pixels.width / scale, pixels.height / scale};
    host_ = SaverHostView::create(Rect(Point{}, points), false, SaverHostView::FrameRate::hidden);
    simulation_ = std::make_unique<SkySimulation>(*host_, sky(), *clock_);
    firstPictureAt_ = clock_->monotonic() + leadSeconds;
    if (options_.onBattery == Options::OnBattery::still)
        battery_ = BatteryWatch::start([](bool) {});
}

// As many seconds pass for the saver as passed here, and a real clock set or
// stepped is set for it too, so that the coordinator sees the jump and shows
// the sky of the new moment.
void WallpaperRun::catchUp() {
    const double wall = real_.clock.now(), monotonic = real_.clock.monotonic();
    const double elapsed = monotonic - realMonotonic_, walked = wall - realWall_;
    realWall_ = wall;
    realMonotonic_ = monotonic;
    const bool jumped = std::abs(walked - elapsed) > SkyCoordinator::clockJumpSeconds;
    if (jumped)
        clock_->setNow(clock_->now() + (walked - elapsed));
    simulation_->run(std::max(0.0, elapsed));
    if (jumped)
        simulation_->frameNow();
}

// A new sky is pictured once it has settled; then each step of a sunrise or
// sunset at once, its colours being those the step before ended on. Both
// against what the last picture showed, so that a walk's first colours,
// set a frame after its view came, are part of the change.
void WallpaperRun::notice() {
    if (!sky().skyMode())
        return;
    const void* view = sky().currentView().get();
    const double now = clock_->monotonic();
    const auto dueBy = [this](double moment) {
        pictureDue_ = std::min(pictureDue_.value_or(moment), moment);
    };
    if (view != picturedView_) {
        if (view != settlingView_)
            settlingSince_ = now;
        settlingView_ = view;
        dueBy(std::max(*settlingSince_ + settleSeconds, firstPictureAt_));
    } else if (colours() != picturedColours_ && !still()) {
        dueBy(now);
    }
}

std::vector<Color> WallpaperRun::colours() const {
    if (const auto* transition = dynamic_cast<const SkyTransitionView*>(sky().currentView().get()))
        return transition->gradientLayer().colors();
    return {};
}

// A step of the saver runs once the clock has passed its moment: the wait
// ends a millisecond after it.
double WallpaperRun::secondsToNextMoment() const {
    constexpr double past = 0.001;
    const double now = clock_->monotonic();
    const double next = simulation_->nextStepBefore(pictureDue_.value_or(now + horizonSeconds));
    return std::max(0.0, next - now) + past;
}

// What the desktop showed before the first picture is kept once that picture
// is set: nothing is saved for a background that stays as it was.
std::optional<WallpaperRun::Trouble> WallpaperRun::setDesktop(const fs::path& picture) {
    std::optional<DesktopBackground::Setting> before;
    if (!pictures_.saved()) {
        auto current = desktop_->current();
        if (!current)
            return Trouble{current.error().message, true};
        if (!showsAPicture(pictures_, *current))
            before = std::move(current).value();
    }
    if (auto set = desktop_->set(picture); !set)
        return Trouble{set.error().message, true};
    if (before) {
        if (auto saved = pictures_.save(desktop_->id(), *before); !saved) {
            // Without it the background could not be put back: put it back now.
            (void)desktop_->restore(*before);
            return Trouble{saved.error().message, true};
        }
    }
    return std::nullopt;
}

std::optional<WallpaperRun::Trouble> WallpaperRun::setPicture(std::ostream& out) {
    const fs::path file = pictures_.nameFor(clock_->now());
    PngOutput png(file, host_->frame().size, scale_);
    host_->layoutSubtreeIfNeeded();
    host_->displayIfNeeded();
    png.present(*host_, clock_->monotonic());
    if (auto saved = png.save(); !saved)
        return Trouble{saved.error().message, false};
    if (auto trouble = setDesktop(file)) {
        std::error_code ignored;
        fs::remove(file, ignored);
        return trouble;
    }
    pictures_.keepOnly(file);
    picturedView_ = sky().currentView().get();
    picturedColours_ = colours();
    systemLog("the " + desktop_->name() + " background is now the sky of " +
              formatUtc(clock_->now()) + ": " + file.string());
    if (options_.once)
        out << "background: " << file.string() << '\n';
    return std::nullopt;
}

int WallpaperRun::run(std::ostream& out, std::ostream& err) {
    simulation_->start();
    const double every = options_.every.value_or(defaultEvery);
    for (;;) {
        notice();
        if (pictureDue_ && clock_->monotonic() >= *pictureDue_) {
            pictureDue_.reset();
            const auto trouble = setPicture(out);
            if (trouble) {
                err << "aerolune: " << trouble->message << '\n';
                if (trouble->withTheDesktop || options_.once)
                    return 1;
                systemLog("the background stays as it was: " + trouble->message);
            }
            pictureSet_ = true;
            if (!trouble &&
                (options_.once || (observer_ && !observer_(pictures_.pictures().back()))))
                return 0;
            if (!still())
                pictureDue_ = clock_->monotonic() + every;
        }
        if (real_.ended())
            return 0;
        // Until the first picture the saver runs ahead, as a snapshot does.
        if (!pictureSet_) {
            simulation_->run(pictureDue_ ? *pictureDue_ - clock_->monotonic() : settleSeconds);
            continue;
        }
        real_.waitFor(secondsToNextMoment());
        catchUp();
    }
}

} // namespace aerolune
