// Shows a small scene through the X11 output on a real X server (skipped
// without one): in a window of its own and in one given by id, with shared
// memory and without; checks that what the compositor
// drew reached the screen, whole and in pieces, before and after a resize,
// and that the output ends when its window is destroyed.

#include "platform/output/X11Output.h"

#include "platform/core/MainQueue.h"
#include "platform/output/RunLoop.h"
#include "support/Display.h" // first: Xlib's macros clash with gtest's names

#include <X11/extensions/XShm.h>
#include <cerrno>
#include <cmath>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string_view>
#include <sys/shm.h>

using namespace aerolune;
using namespace std::chrono_literals;

namespace {

// The call the system's stand-ins below make fail, if any.
std::string_view failing;

// In y-up terms: the backdrop, the right half salmon, the bottom quarter of
// the left half green; laid out from the bounds. Two specks drift near each
// other, so that each frame sends pieces of the window.
struct Scene : ScreenSaverView {
    Scene() : ScreenSaverView(Rect(), false) {
        for (const Color& c : {Color(0.07, 0.09, 0.38), Color(1, 0.54, 0.4), Color(0.6, 0.83, 0.46),
                               Color(1, 1, 1), Color(1, 1, 1)}) {
            panels.push_back(std::make_shared<View>());
            panels.back()->setWantsLayer(true);
            panels.back()->layer()->setBackgroundColor(c);
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
    int count = 0;
    for (std::string line; std::getline(table, line);) {
        long key = 0, id = 0, permissions = 0, size = 0, creator = 0;
        std::istringstream(line) >> key >> id >> permissions >> size >> creator;
        count += creator == ::getpid();
    }
    return count;
}

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
        const auto shot = test::screenshot(output.window());
        if (!shot || shot->width() != drawn.width() || shot->height() != drawn.height())
            continue;
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                differing += !(shot->at(x, y) == drawn.at(x, y));
        if (differing == 0)
            return;
        seen = std::to_string(differing) + " pixels differ";
    }
    ADD_FAILURE() << "the scene did not show: " << seen;
}

using X11OutputTest = test::DisplayTest;

} // namespace

// In this test, these calls stand in for the system's: they fail as they can
// in use when `failing` names them, and pass every other call on to the
// system's:
//   shmat         no room to map the segment in this process (ENOMEM);
//   XShmAttach    a server that cannot reach the segment (a remote one, or one
//                 in another IPC namespace): the request names a segment that
//                 no longer exists, and the server answers with an error;
//   XCreateImage  no memory for the image (null).
extern "C" void* shmat(int id, const void* address, int flags) noexcept {
    if (failing != "shmat")
        return reinterpret_cast<decltype(&shmat)>(::dlsym(RTLD_NEXT, "shmat"))(id, address, flags);
    errno = ENOMEM;
    return reinterpret_cast<void*>(-1);
}

extern "C" Bool XShmAttach(Display* display, XShmSegmentInfo* segment) {
    XShmSegmentInfo asked = *segment;
    if (failing == "XShmAttach")
        asked.shmid = -1; // an id that names no segment at all
    const auto attach = reinterpret_cast<decltype(&XShmAttach)>(::dlsym(RTLD_NEXT, "XShmAttach"));
    const Bool sent = attach(display, &asked);
    segment->shmseg = asked.shmseg;
    return sent;
}

extern "C" XImage* XCreateImage(Display* display, Visual* visual, unsigned depth, int format,
                                int offset, char* data, unsigned width, unsigned height, int pad,
                                int line) {
    if (failing == "XCreateImage")
        return nullptr;
    return reinterpret_cast<decltype(&XCreateImage)>(::dlsym(RTLD_NEXT, "XCreateImage"))(
        display, visual, depth, format, offset, data, width, height, pad, line);
}

TEST_F(X11OutputTest,
       AWindowShowsTheSceneAndItsChangesAtEachSizeUntilDestroyedAndNoImageIsAClearError) {
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
        failing = run.failing;
        auto opened = X11Output::open({.mode = run.mode,
                                       .windowId = given,
                                       .size = {300, 180},
                                       .allowSharedMemory = run.failing[0] || run.sharedMemory});
        ASSERT_TRUE(opened) << opened.error().message;
        X11Output& output = **opened;
        auto scene = std::make_shared<Scene>();
        scene->startAnimation();
        RunLoop loop(scene, &output);
        expectShown(loop, output);
        resize(output.window(), 240, 320);
        expectShown(loop, output);
        // Shared memory in use, one segment, or none: no failed one held by the
        // server, no old one kept.
        EXPECT_EQ(segmentsLeft(), run.sharedMemory ? 1 : 0);
        XDestroyWindow(display_, output.window());
        XSync(display_, False);
        EXPECT_EQ(loop.run(), 0) << "the loop ends once the window is gone";
    }
    // An image that cannot be made is a clear error, not a crash. (A window
    // that is gone is refused by the saver's own tests.)
    failing = "XCreateImage";
    const auto noImage = X11Output::open({.size = {160, 100}, .allowSharedMemory = false});
    ASSERT_FALSE(noImage);
    EXPECT_EQ(noImage.error().message.rfind("cannot make an image of 160x100 for window 0x", 0), 0u)
        << noImage.error().message;
}
