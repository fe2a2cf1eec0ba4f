// aerolune_test_scene: a small saver-like scene for the display tests, shown
// through the same run loop, compositor and outputs as the saver.
//
//   aerolune_test_scene [--window-id ID | --root] [--size WxH] [--no-shm]
//   aerolune_test_scene --snapshot FILE [--size WxH]
//
// The scene, in y-up terms: a dark blue backdrop; the right half salmon with a
// drifting cloud of discs and a line of text; the bottom quarter of the left
// half green; a gradient bar at the top of the left half. Everything is laid
// out from the bounds, so it follows resizes. Once the first frame is shown it
// prints "window 0x... shared-memory" (or "plain") on stdout.

#include "platform/core/Clock.h"
#include "platform/core/ManualClock.h"
#include "platform/output/PngOutput.h"
#include "platform/output/RunLoop.h"
#include "platform/output/X11Output.h"
#include "platform/view/GradientLayer.h"
#include "platform/view/TextLayer.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace aerolune;

namespace {

std::shared_ptr<View> panel(const Color& color) {
    auto view = std::make_shared<View>();
    view->setWantsLayer(true);
    view->layer()->setBackgroundColor(color);
    return view;
}

class TestScene : public ScreenSaverView {
public:
    TestScene() : ScreenSaverView(Rect(), false) {
        setWantsLayer(true);
        layer()->setBackgroundColor(Color(19 / 255.0, 24 / 255.0, 98 / 255.0));
        gradient_->setColors({Color(1, 0.9, 0.5), Color(0.4, 0.1, 0.5)});
        layer()->addSublayer(gradient_);
        text_->setText("Aerolune test scene");
        text_->setForegroundColor(Color(0, 0, 1, 0.5));
        right_->layer()->addSublayer(text_);
        for (int i = 0; i < 12 * 8; ++i) {
            auto puff = std::make_shared<Layer>();
            puff->setFrame(Rect(i % 12 * 4, i / 12 * 4, 9, 9));
            puff->setCornerRadius(4.5);
            puff->setBackgroundColor(Color(250 / 255.0, 250 / 255.0, 250 / 255.0, 0.25));
            cloud_->addSublayer(puff);
        }
        right_->layer()->addSublayer(cloud_);
        addSubview(right_);
        addSubview(strip_);
    }

    void layout() override {
        ScreenSaverView::layout();
        const Rect b = bounds();
        right_->setFrame(Rect(b.width() / 2, 0, b.width() / 2, b.height()));
        strip_->setFrame(Rect(0, 0, b.width() / 2, b.height() / 4));
        gradient_->setFrame(Rect(0, b.height() * 0.875, b.width() / 2, b.height() / 8));
        text_->setFrame(Rect(0, b.height() * 0.4, b.width() / 2, b.height() * 0.2));
        cloud_->setFrame(Rect(0, b.height() * 0.1, 56, 40));
    }

    void animateOneFrame() override {
        const double width = right_->bounds().width();
        Rect frame = cloud_->frame();
        frame.origin.x = frame.minX() + 0.4 > width ? -frame.width() : frame.minX() + 0.4;
        cloud_->setFrame(frame);
    }

private:
    std::shared_ptr<View> right_ = panel(Color(1, 137 / 255.0, 103 / 255.0));
    std::shared_ptr<View> strip_ = panel(Color(154 / 255.0, 211 / 255.0, 117 / 255.0));
    std::shared_ptr<GradientLayer> gradient_ = std::make_shared<GradientLayer>();
    std::shared_ptr<TextLayer> text_ = std::make_shared<TextLayer>();
    std::shared_ptr<Layer> cloud_ = std::make_shared<Layer>();
};

// Prints the window once its first frame is on the screen.
class AnnouncingOutput : public FrameOutput {
public:
    explicit AnnouncingOutput(X11Output& output) : output_(output) {}
    Size size() const override { return output_.size(); }
    int eventFd() const override { return output_.eventFd(); }
    bool processEvents() override { return output_.processEvents(); }
    void present(View& root, double now) override {
        output_.present(root, now);
        if (!announced_) {
            std::printf("window 0x%lx %s\n", output_.window(),
                        output_.usesSharedMemory() ? "shared-memory" : "plain");
            std::fflush(stdout);
            announced_ = true;
        }
    }

private:
    X11Output& output_;
    bool announced_ = false;
};

int usage(const char* why) {
    std::fprintf(stderr, "aerolune_test_scene: %s\n", why);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    X11Output::Target target;
    target.size = {320, 200};
    std::string snapshot;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--root") {
            target.mode = X11Output::Mode::rootWindow;
        } else if (option == "--no-shm") {
            target.allowSharedMemory = false;
        } else if (option == "--window-id" && value) {
            auto id = X11Output::parseWindowId(value);
            if (auto* problem = std::get_if<std::string>(&id))
                return usage(("--window-id " + *problem).c_str());
            target.mode = X11Output::Mode::existingWindow;
            target.windowId = std::get<unsigned long>(id);
            ++i;
        } else if (option == "--size" && value) {
            int w = 0, h = 0;
            if (std::sscanf(value, "%dx%d", &w, &h) != 2 || w < 1 || h < 1 || w > 8192 || h > 8192)
                return usage("--size needs WIDTHxHEIGHT");
            target.size = {static_cast<double>(w), static_cast<double>(h)};
            ++i;
        } else if (option == "--snapshot" && value) {
            snapshot = value;
            ++i;
        } else {
            return usage(("unknown option " + option).c_str());
        }
    }

    auto scene = std::make_shared<TestScene>();
    if (!snapshot.empty()) {
        auto clock = std::make_shared<ManualClock>(0);
        Clock::setCurrent(clock);
        PngOutput output(snapshot, target.size);
        RunLoop loop(scene, &output);
        scene->startAnimation();
        loop.advance(*clock, 1);
        if (const auto error = output.save())
            return usage(error->c_str());
        return 0;
    }

    target.title = "Aerolune test scene";
    std::string error;
    auto output = X11Output::open(target, error);
    if (!output)
        return usage(error.c_str());
    AnnouncingOutput announcing(*output);
    RunLoop loop(scene, &announcing);
    return loop.run();
}
