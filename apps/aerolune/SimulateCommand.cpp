#include "aerolune/SimulateCommand.h"

#include "aerolune/SaverSetup.h"
#include "host/AeroluneSaverView.h"
#include "host/SkySimulation.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"

namespace aerolune::SimulateCommand {
namespace {

// Prints what changed since the last step.
class ChangePrinter {
public:
    ChangePrinter(const SkyCoordinator& coordinator, std::ostream& out)
        : coordinator_(coordinator), out_(out) {}

    void operator()() {
        const std::string now = formatUtc(Clock::current().now());
        if (coordinator_.failureCount() != failures_) {
            failures_ = coordinator_.failureCount();
            const auto& error = coordinator_.lastFailure();
            out_ << now
                 << " failed: " << (error ? errorDescription(*error) : "no forecast could be made")
                 << '\n';
        }
        if (coordinator_.skyMode() && coordinator_.skyMode() != shown_) {
            shown_ = coordinator_.skyMode();
            out_ << now << ' ' << describe(*shown_) << '\n';
        }
    }

private:
    const SkyCoordinator& coordinator_;
    std::ostream& out_;
    std::uint64_t failures_ = 0;
    std::optional<SkyMode> shown_;
};

} // namespace

int run(const Options& options, std::ostream& out) {
    auto clock = std::make_shared<ManualClock>(options.at.value_or(SystemClock().now()));
    Clock::setCurrent(clock);
    MainQueue::main().reset();
    SaverSetup::apply(options, SaverSetup::Run::headless);

    auto saver = AeroluneSaverView::create(Rect(0, 0, 1920, 1080), options.preview);
    const SkyCoordinator& coordinator = *saver->skySaverView()->skyCoordinator();
    SkySimulation simulation(*saver, coordinator, *clock);
    simulation.setObserver(ChangePrinter(coordinator, out));
    simulation.start();
    simulation.run(options.duration.value_or(0));
    saver->stopAnimation();
    return 0;
}

} // namespace aerolune::SimulateCommand
