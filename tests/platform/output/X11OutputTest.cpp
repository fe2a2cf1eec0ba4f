// Shows a small scene through the X11 output on a real X server (skipped
// without one): in a window of its own, in one given by id and on the root
// window, with shared memory and without; checks that what the compositor
// drew reached the screen, whole and in pieces, before and after a resize,
// and that the output ends when its window is destroyed.

#include "platform/output/X11Output.h"

#include "platform/core/MainQueue.h"
#include "platform/output/RunLoop.h"
#include "support/Display.h" // first: Xlib's macros clash with gtest's names
#include "support/ScopedEnvironment.h"

#include <X11/extensions/XShm.h>
#include <cerrno>
#include <cmath>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <sys/shm.h>

using namespace aerolune;
using test::Rgb;
using namespace std::chrono_literals;

namespace {

bool failing(const char* call) {
    const char* list = std::getenv("AEROLUNE_FAILING_CALLS");
    return list &&
           ("," + std::string(list) + ",").find("," + std::string(call) + ",") != std::string::npos;
}

template <typename Function> Function* real(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

constexpr Rgb backdrop{19, 24, 98}, salmon{255, 137, 103}, green{154, 211, 117};

// In y-up terms: the backdrop, the right half salmon, the bottom quarter of
// the left half green; laid out from the bounds. Two specks drift near each
// other, so that each frame sends pieces of the window.
struct Scene : ScreenSaverView {
    Scene() : ScreenSaverView(Rect(), false) {
        for (const Rgb& c : {backdrop, salmon, green, Rgb{255, 255, 255}, Rgb{255, 255, 255}}) {
            panels.push_back(std::make_shared<View>());
            panels.back()->setWantsLayer(true);
            panels.back()->layer()->setBackgroundColor(
                Color(c.r / 255.0, c.g / 255.0, c.b / 255.0));
            addSubview(panels.back());
        }
    }
    void layout() override {
        const Rect b = bounds();
        panels[0]->setFrame(b);
        panels[1]->setFrame(Rect(b.width() / 2, 0, b.width() / 2, b.height()));
        panels[2]->setFrame(Rect(0, 0, b.width() / 2, b.height() / 4));
    }
    void animateOneFrame() override {
        const double x = std::fmod(panels[3]->frame().minX() + 1.5, bounds().width() - 20);
        panels[3]->setFrame(Rect(x, bounds().height() / 2, 2, 2));
        panels[4]->setFrame(Rect(x + 12, bounds().height() / 2 + 4, 2, 2));
    }
    std::vector<std::shared_ptr<View>> panels;
};

// How many shared-memory segments this process made are still there.
int segmentsLeft() {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    int count = 0;
    while (std::getline(table, line)) {
        long key = 0, id = 0, permissions = 0, size = 0, creator = 0;
        std::istringstream(line) >> key >> id >> permissions >> size >> creator;
        count += creator == ::getpid();
    }
    return count;
}

class X11OutputTest : public test::DisplayTest {
protected:
    // Runs frames until the window shows exactly what the compositor drew;
    // the failure says how it differed last.
    void expectShown(RunLoop& loop, X11Output& output) {
        std::string seen = "no screenshot";
        for (const auto end = std::chrono::steady_clock::now() + 10s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms)) {
            output.processEvents();
            loop.runFrame();
            loop.runFrame(); // a second frame: no exposure, only the pieces that changed
            const test::Pixels drawn(output.compositor().image());
            const int w = drawn.width(), h = drawn.height();
            const auto shot = test::screenshot(output.window());
            if (!shot || shot->width() != w || shot->height() != h)
                continue;
            int differing = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    differing += !(shot->at(x, y) == drawn.at(x, y));
            if (differing == 0)
                return;
            seen = std::to_string(differing) + " pixels differ";
        }
        ADD_FAILURE() << "the scene did not show: " << seen;
    }
};

} // namespace

// In this test, these calls stand in for the system's: they fail as they can
// in use when $AEROLUNE_FAILING_CALLS names them (separated by commas), and
// pass every other call on to the system's:
//   shmat         no room to map the segment in this process (ENOMEM);
//   XShmAttach    a server that cannot reach the segment (a remote one, or one
//                 in another IPC namespace): the request names a segment that
//                 no longer exists, and the server answers with an error;
//   XCreateImage  no memory for the image (null).
extern "C" void* shmat(int id, const void* address, int flags) noexcept {
    if (!failing("shmat"))
        return real<void*(int, const void*, int)>("shmat")(id, address, flags);
    errno = ENOMEM;
    return reinterpret_cast<void*>(-1);
}

extern "C" Bool XShmAttach(Display* display, XShmSegmentInfo* segment) {
    auto* attach = real<Bool(Display*, XShmSegmentInfo*)>("XShmAttach");
    if (!failing("XShmAttach"))
        return attach(display, segment);
    // An id just freed names no segment at all.
    XShmSegmentInfo elsewhere = *segment;
    elsewhere.shmid = ::shmget(IPC_PRIVATE, 1, IPC_CREAT | 0600);
    ::shmctl(elsewhere.shmid, IPC_RMID, nullptr);
    const Bool sent = attach(display, &elsewhere);
    segment->shmseg = elsewhere.shmseg;
    return sent;
}

extern "C" XImage* XCreateImage(Display* display, Visual* visual, unsigned depth, int format,
                                int offset, char* data, unsigned width, unsigned height, int pad,
                                int line) {
    using Create =
        XImage*(Display*, Visual*, unsigned, int, int, char*, unsigned, unsigned, int, int);
    return failing("XCreateImage")
               ? nullptr
               : real<Create>("XCreateImage")(display, visual, depth, format, offset, data, width,
                                              height, pad, line);
}

TEST_F(X11OutputTest, AWindowShowsTheSceneItsChangesAndItsNewSizeUntilItIsDestroyed) {
    const Window given =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 40, 30, 300, 180, 0, 0, 0);
    XMapWindow(display_, given);
    XSync(display_, False);
    const struct {
        const char* what;
        X11Output::Mode mode;
        bool sharedMemory;
        const char* failing; // calls made to fail, on either side of the shared memory
    } runs[] = {{"its own", X11Output::Mode::ownWindow, true, ""},
                {"given by id", X11Output::Mode::existingWindow, false, ""},
                {"shmat fails", X11Output::Mode::ownWindow, false, "shmat"},
                {"the server cannot attach", X11Output::Mode::ownWindow, false, "XShmAttach"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        const test::ScopedEnvironmentVariable failing("AEROLUNE_FAILING_CALLS", run.failing);
        auto opened = X11Output::open({.mode = run.mode,
                                       .windowId = given,
                                       .size = {300, 180},
                                       .allowSharedMemory = run.failing[0] || run.sharedMemory});
        ASSERT_TRUE(opened) << opened.error().message;
        X11Output& output = **opened;
        EXPECT_EQ(output.usesSharedMemory(), run.sharedMemory);
        auto scene = std::make_shared<Scene>();
        scene->startAnimation();
        RunLoop loop(scene, &output);
        expectShown(loop, output);
        resize(output.window(), 240, 320);
        expectShown(loop, output);
        EXPECT_EQ(output.size(), (Size{240, 320}));
        // One in use, or none: no failed one held by the server, no old one kept.
        EXPECT_EQ(segmentsLeft(), run.sharedMemory ? 1 : 0);
        XDestroyWindow(display_, output.window());
        XSync(display_, False);
        EXPECT_EQ(loop.run(), 0) << "the loop ends once the window is gone";
    }
}

// A window that is gone is refused by the saver's own tests.
TEST_F(X11OutputTest, AnImageThatCannotBeMadeIsAClearError) {
    const test::ScopedEnvironmentVariable failing("AEROLUNE_FAILING_CALLS", "XCreateImage");
    const auto noImage = X11Output::open({.size = {160, 100}, .allowSharedMemory = false});
    ASSERT_FALSE(noImage);
    EXPECT_EQ(noImage.error().message.rfind("cannot make an image of 160x100 for window 0x", 0), 0u)
        << noImage.error().message;
}
