#include "aerolune/WallpaperCommand.h"

#include "aerolune/BatteryWatch.h"
#include "aerolune/DeviceScale.h"
#include "aerolune/SaverHostView.h"
#include "aerolune/SaverSetup.h"
#include "desktop/BackgroundPictures.h"
#include "desktop/DesktopBackground.h"
#include "host/SkySimulation.h"
#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"
#include "platform/output/PngOutput.h"
#include "platform/output/WaylandDisplay.h"
#include "platform/output/X11Monitors.h"
#include "transitions/SkyTransitionView.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <ostream>

namespace aerolune::WallpaperCommand {
namespace {

namespace fs = std::filesystem;

constexpr double defaultEvery = 15 * 60;
// A new sky is taken once the one it replaces has faded, as --snapshot takes
// the first.
constexpr double settleSeconds = 6;
// How far ahead a run with nothing due looks for the saver's next step.
constexpr double horizonSeconds = 86400;

struct Screen {
    Size pixels;
    double scale = 1;
};

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The largest monitor of the session's display, at its scale.
Result<Screen> screenFor(const Options& options) {
    if (options.size)
        return Screen{*options.size, options.scale.value_or(1)};
    if (isSet("WAYLAND_DISPLAY")) {
        if (auto display = WaylandDisplay::connect()) {
            std::optional<Screen> largest;
            for (const auto& monitor : (*display)->monitors()) {
                const Size pixels{double(monitor->pixelWidth()), double(monitor->pixelHeight())};
                if (monitor->isDescribed() && pixels.width > 0 &&
                    (!largest || pixels.width * pixels.height >
                                     largest->pixels.width * largest->pixels.height))
                    largest = Screen{pixels, options.scale.value_or(monitor->scale())};
            }
            if (largest)
                return *largest;
        }
    }
    if (isSet("DISPLAY")) {
        const auto largest = X11Monitors::largest();
        if (!largest)
            return largest.error();
        return Screen{Size{double(largest->width), double(largest->height)},
                      DeviceScale::choose(options.scale, std::getenv("AEROLUNE_SCALE"),
                                          std::getenv("GDK_SCALE"), largest->dpi)};
    }
    return failure("cannot tell the size of the screen (neither WAYLAND_DISPLAY nor DISPLAY is "
                   "set): give it with --size WxH");
}

// Whether a saved setting already shows one of our pictures (an earlier run
// whose saved setting was put back by hand): not worth putting back.
bool showsAPicture(const BackgroundPictures& pictures, const DesktopBackground::Setting& setting) {
    for (const auto& [key, value] : setting)
        if (pictures.isPicture(value))
            return true;
    return false;
}

class Wallpaper {
public:
    Wallpaper(const Options& options, Screen screen, std::unique_ptr<DesktopBackground> desktop,
              BackgroundPictures pictures);
    int run(const SignalWatcher& signals, std::ostream& out, std::ostream& err);

private:
    struct Trouble {
        std::string message;
        bool withTheDesktop; // ends the run; a picture not written does not
    };

    const SkyCoordinator& sky() const { return *host_->saver()->skySaverView()->skyCoordinator(); }
    void catchUp();
    void notice();
    std::optional<Trouble> setPicture(std::ostream& out);
    std::optional<Trouble> setDesktop(const fs::path& picture);
    double secondsToNextMoment() const;

    const Options& options_;
    const Screen screen_;
    std::unique_ptr<DesktopBackground> desktop_;
    BackgroundPictures pictures_;
    SystemClock real_;
    double realWall_, realMonotonic_;
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<SaverHostView> host_;
    std::unique_ptr<SkySimulation> simulation_;
    std::shared_ptr<BatteryWatch> battery_;
    const void* shownView_ = nullptr;
    std::vector<Color> shownColours_;
    std::optional<double> pictureDue_; // on the saver's monotonic clock
    bool pictureSet_ = false;
};

Wallpaper::Wallpaper(const Options& options, Screen screen,
                     std::unique_ptr<DesktopBackground> desktop, BackgroundPictures pictures)
    : options_(options), screen_(screen), desktop_(std::move(desktop)),
      pictures_(std::move(pictures)), realWall_(real_.now()), realMonotonic_(real_.monotonic()),
      clock_(std::make_shared<ManualClock>(realWall_)) {
    Clock::setCurrent(clock_);
    MainQueue::main().reset();
    SaverSetup::apply(options_, SaverSetup::Run::onScreen);
    const Size points{screen_.pixels.width / screen_.scale, screen_.pixels.height / screen_.scale};
    host_ = SaverHostView::create(Rect(Point{}, points), false, SaverHostView::FrameRate::hidden);
    simulation_ =
        std::make_unique<SkySimulation>(*host_, sky(), *clock_);
    if (options_.onBattery == Options::OnBattery::still)
        battery_ = BatteryWatch::start([](bool) {});
}

// The saver's clock follows the real one: as many seconds pass for it as
// passed here, and a real clock set or stepped is set for it too, so that
// the coordinator sees the jump and shows the sky of the new moment.
void Wallpaper::catchUp() {
    const double wall = real_.now(), monotonic = real_.monotonic();
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

// A new sky is pictured once it has settled, each step of a sunrise or
// sunset at once (its colours are then the pair the last step ended on).
// The loading panel is never pictured.
void Wallpaper::notice() {
    if (!sky().skyMode())
        return;
    const void* view = sky().currentView().get();
    std::vector<Color> colours;
    if (const auto* transition = dynamic_cast<const SkyTransitionView*>(sky().currentView().get()))
        colours = transition->gradientLayer().colors();
    const double now = clock_->monotonic();
    const auto dueBy = [this](double moment) {
        pictureDue_ = std::min(pictureDue_.value_or(moment), moment);
    };
    const bool still = battery_ && battery_->still();
    if (view != shownView_)
        dueBy(now + settleSeconds);
    else if (colours != shownColours_ && !still)
        dueBy(now);
    shownView_ = view;
    shownColours_ = std::move(colours);
}

double Wallpaper::secondsToNextMoment() const {
    const double now = clock_->monotonic();
    const double until = pictureDue_.value_or(now + horizonSeconds);
    return simulation_->nextStepBefore(until) - now;
}

std::optional<Wallpaper::Trouble> Wallpaper::setDesktop(const fs::path& picture) {
    if (!pictures_.saved()) {
        const auto current = desktop_->current();
        if (!current)
            return Trouble{current.error().message, true};
        if (!showsAPicture(pictures_, *current))
            if (auto saved = pictures_.save(desktop_->id(), *current); !saved)
                return Trouble{saved.error().message, true};
    }
    if (auto set = desktop_->set(picture); !set)
        return Trouble{set.error().message, true};
    return std::nullopt;
}

std::optional<Wallpaper::Trouble> Wallpaper::setPicture(std::ostream& out) {
    const fs::path file = pictures_.nameFor(clock_->now());
    PngOutput png(file, host_->frame().size, screen_.scale);
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
    systemLog("the " + desktop_->name() + " background is now the sky of " +
              formatUtc(clock_->now()) + ": " + file.string());
    if (options_.once)
        out << "background: " << file.string() << '\n';
    return std::nullopt;
}

int Wallpaper::run(const SignalWatcher& signals, std::ostream& out, std::ostream& err) {
    simulation_->start();
    const double every = options_.every.value_or(defaultEvery);
    for (;;) {
        notice();
        if (pictureDue_ && clock_->monotonic() >= *pictureDue_) {
            pictureDue_.reset();
            if (const auto trouble = setPicture(out)) {
                err << "aerolune: " << trouble->message << '\n';
                if (trouble->withTheDesktop || options_.once)
                    return 1;
                systemLog("the background stays as it was: " + trouble->message);
            } else if (options_.once) {
                return 0;
            }
            pictureSet_ = true;
            if (!(battery_ && battery_->still()))
                pictureDue_ = clock_->monotonic() + every;
        }
        if (signals.received())
            return 0;
        // Until the first picture the saver runs ahead, as a snapshot does:
        // the first picture comes at once.
        if (!pictureSet_) {
            const double now = clock_->monotonic();
            simulation_->run(pictureDue_ ? *pictureDue_ - now : settleSeconds);
            continue;
        }
        MainQueue::main().wait(secondsToNextMoment(), {signals.fd()});
        catchUp();
    }
}

int restore(std::ostream& out, std::ostream& err) {
    auto pictures = BackgroundPictures::open();
    if (!pictures) {
        err << "aerolune: " << pictures.error().message << '\n';
        return 1;
    }
    const auto saved = pictures->saved();
    if (!saved) {
        out << "nothing to put back: no earlier background is saved (it was put back already, "
               "or no picture was set)\n";
        return 0;
    }
    auto desktop = DesktopBackground::forDesktop(saved->first);
    if (!desktop) {
        err << "aerolune: " << desktop.error().message << '\n';
        return 1;
    }
    if (auto restored = (*desktop)->restore(saved->second); !restored) {
        err << "aerolune: " << restored.error().message << '\n';
        return 1;
    }
    pictures->forget();
    pictures->keepOnly({});
    out << "the " << (*desktop)->name() << " background set before the sky's is back\n";
    return 0;
}

} // namespace

int run(const Options& options, const SignalWatcher& signals, std::ostream& out,
        std::ostream& err) {
    if (options.restore)
        return restore(out, err);
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    auto desktop = DesktopBackground::forDesktop(
        !options.desktop.empty() ? options.desktop : current ? current : "");
    if (!desktop) {
        err << "aerolune: " << desktop.error().message << '\n';
        return 1;
    }
    auto pictures = BackgroundPictures::open();
    if (!pictures) {
        err << "aerolune: " << pictures.error().message << '\n';
        return 1;
    }
    const auto screen = screenFor(options);
    if (!screen) {
        err << "aerolune: " << screen.error().message << '\n';
        return 1;
    }
    Wallpaper wallpaper(options, *screen, std::move(desktop).value(), std::move(pictures).value());
    return wallpaper.run(signals, out, err);
}

} // namespace aerolune::WallpaperCommand
