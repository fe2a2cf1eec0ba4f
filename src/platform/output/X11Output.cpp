#include "platform/output/X11Output.h"

#include "platform/core/Log.h"
#include "platform/output/X11Resources.h"
#include "platform/render/UploadBoxes.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <system_error>
#include <vector>

namespace aerolune {
namespace {

// Xlib reports protocol errors through one process-wide handler. Ours records
// them instead of ending the process, so that a window that disappears, or a
// server that cannot share memory, is an answer rather than a crash.
int lastXError = 0;

extern "C" int recordXError(Display*, XErrorEvent* event) {
    lastXError = event->error_code;
    return 0;
}

// Runs a request and reports the error it caused, if any.
template <typename Request> int trapErrors(Display* display, Request request) {
    XSync(display, False);
    lastXError = 0;
    request();
    XSync(display, False);
    return lastXError;
}

std::string hex(unsigned long id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// The compositor's pixels are 32-bit 0xAARRGGBB: a visual takes them as they
// are when it is true colour with red, green and blue in those bytes.
bool takesOurPixels(const Visual* visual, int depth) {
    return visual && visual->c_class == TrueColor && (depth == 24 || depth == 32) &&
           visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
           visual->blue_mask == 0xff;
}

// A visual for a window of our own: the screen's default where it takes our
// pixels, else a 24-bit one, else a 32-bit one (a 16-bit server often offers
// those beside its default).
std::optional<XVisualInfo> ownWindowVisual(Display* display, int screen) {
    if (takesOurPixels(DefaultVisual(display, screen), DefaultDepth(display, screen))) {
        XVisualInfo info{};
        info.visual = DefaultVisual(display, screen);
        info.visualid = XVisualIDFromVisual(info.visual);
        info.depth = DefaultDepth(display, screen);
        return info;
    }
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* found =
        XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
    std::optional<XVisualInfo> best;
    for (int i = 0; i < count; ++i)
        if (takesOurPixels(found[i].visual, found[i].depth) &&
            (!best || found[i].depth < best->depth))
            best = found[i];
    if (found)
        XFree(found);
    return best;
}

const char* className(int c_class) {
    switch (c_class) {
    case StaticGray:
        return "static grey";
    case GrayScale:
        return "grey-scale";
    case StaticColor:
        return "static colour";
    case PseudoColor:
        return "pseudo-colour";
    case TrueColor:
        return "true colour";
    case DirectColor:
        return "direct colour";
    }
    return "unknown";
}

std::string describeVisual(const Visual* visual, int depth) {
    return std::to_string(depth) + "-bit " + (visual ? className(visual->c_class) : "hidden");
}

} // namespace

struct X11Output::Connection {
    Display* display = nullptr;
    Window window = 0;
    bool ownsWindow = false;
    bool gone = false;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0; // of a window of our own in another visual than the screen's
    GC gc = nullptr;
    Atom deleteWindow = 0;
    int width = 0;
    int height = 0;
    bool allowSharedMemory = true;
    bool exposed = false;
    // Of a window of our own: whether anyone can see it.
    bool mapped = true;
    bool obscured = false;
    XErrorHandler previousHandler = nullptr;

    XImage* image = nullptr;
    bool shared = false;
    XShmSegmentInfo segment{};
    // The server tells when it has read the shared image (an event of this
    // type); until then the next frame must not draw into it.
    int completionType = -1;
    bool reading = false;
    std::vector<unsigned char> plainPixels;
    std::vector<XRectangle> clip;
    bool clipped = false;

    ~Connection() {
        if (!display)
            return;
        releaseImage();
        if (gc)
            XFreeGC(display, gc);
        if (ownsWindow && !gone)
            XDestroyWindow(display, window);
        if (colormap)
            XFreeColormap(display, colormap);
        XCloseDisplay(display);
        XSetErrorHandler(previousHandler);
    }

    void releaseImage() {
        if (!image)
            return;
        if (shared) {
            XShmDetach(display, &segment);
            XSync(display, False);
            shmdt(segment.shmaddr);
            reading = false;
        }
        dropImage();
        plainPixels.clear();
        shared = false;
    }

    void dropImage() {
        image->data = nullptr; // not Xlib's memory to free
        XDestroyImage(image);
        image = nullptr;
    }

    // Each step can fail: no memory for the image, no segment to be had, no
    // room to map it here, or a server that cannot reach it (a remote one, or
    // one in another IPC namespace). The server is asked to attach only once
    // this side has, and whatever was taken is given back before falling back
    // to sending the image over the connection.
    bool createSharedImage(int w, int h) {
        if (!allowSharedMemory || !XShmQueryExtension(display))
            return false;
        image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                                &segment, static_cast<unsigned>(w), static_cast<unsigned>(h));
        if (!image)
            return false;
        segment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * h,
                               IPC_CREAT | 0600);
        if (segment.shmid < 0) {
            dropImage();
            return false;
        }
        segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
            shmctl(segment.shmid, IPC_RMID, nullptr);
            dropImage();
            return false;
        }
        image->data = segment.shmaddr;
        segment.readOnly = False;
        const int error = trapErrors(display, [&] { XShmAttach(display, &segment); });
        // Marked for removal now: it goes away with the last process detaching.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        if (error) {
            shmdt(segment.shmaddr);
            dropImage();
            return false;
        }
        shared = true;
        completionType = XShmGetEventBase(display) + ShmCompletion;
        return true;
    }

    bool createPlainImage(int w, int h) {
        plainPixels.assign(static_cast<std::size_t>(w) * h * 4, 0);
        image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                             reinterpret_cast<char*>(plainPixels.data()), static_cast<unsigned>(w),
                             static_cast<unsigned>(h), 32, w * 4);
        shared = false;
        if (!image)
            plainPixels.clear();
        return image != nullptr;
    }

    // Requests are handled in order: the last piece of a frame alone asks to
    // be told when the server is done with the image.
    void put(int x, int y, int w, int h, bool last) {
        if (shared) {
            XShmPutImage(display, window, gc, image, x, y, x, y, static_cast<unsigned>(w),
                         static_cast<unsigned>(h), last ? True : False);
            reading = reading || last;
        } else {
            XPutImage(display, window, gc, image, x, y, x, y, static_cast<unsigned>(w),
                      static_cast<unsigned>(h));
        }
    }

    // Limits what the next puts write to `pieces` (banded, as a region lists
    // them), or lifts the limit when there are none; the box around them.
    PixelRect putClipped(const std::vector<PixelRect>& pieces) {
        if (pieces.empty()) {
            if (clipped)
                XSetClipMask(display, gc, None);
            clipped = false;
            return {0, 0, width, height};
        }
        clip.clear();
        int x0 = pieces.front().x, y0 = pieces.front().y, x1 = x0, y1 = y0;
        for (const auto& r : pieces) {
            clip.push_back({static_cast<short>(r.x), static_cast<short>(r.y),
                            static_cast<unsigned short>(r.width),
                            static_cast<unsigned short>(r.height)});
            x0 = std::min(x0, r.x), y0 = std::min(y0, r.y);
            x1 = std::max(x1, r.x + r.width), y1 = std::max(y1, r.y + r.height);
        }
        XSetClipRectangles(display, gc, 0, 0, clip.data(), static_cast<int>(clip.size()), YXBanded);
        clipped = true;
        return {x0, y0, x1 - x0, y1 - y0};
    }

    Result<void> createOwnWindow(Size size) {
        const int screen = DefaultScreen(display);
        const Window root = RootWindow(display, screen);
        const auto info = ownWindowVisual(display, screen);
        if (!info)
            return failure(
                "this display offers no 24- or 32-bit true-colour visual to draw in (its "
                "screen is " +
                describeVisual(DefaultVisual(display, screen), DefaultDepth(display, screen)) +
                ")");
        const auto w = static_cast<unsigned>(std::max(1.0, size.width));
        const auto h = static_cast<unsigned>(std::max(1.0, size.height));
        XSetWindowAttributes settings{};
        unsigned long mask = CWBackPixel | CWBorderPixel;
        if (info->visual != DefaultVisual(display, screen)) {
            colormap = XCreateColormap(display, root, info->visual, AllocNone);
            settings.colormap = colormap;
            mask |= CWColormap;
        }
        if (trapErrors(display, [&] {
                window = XCreateWindow(display, root, 0, 0, w, h, 0, info->depth, InputOutput,
                                       info->visual, mask, &settings);
            }))
            return failure("cannot make a window of " + std::to_string(w) + "x" +
                           std::to_string(h));
        ownsWindow = true;
        return {};
    }

    // Xlib leaves out 32-bit visuals when XLIB_SKIP_ARGB_VISUALS is set, and
    // then gives a window in one of them no visual at all. Such a window is
    // still drawn: 32 bits are ARGB wherever servers offer them, and the
    // images need no visual but for their masks.
    Result<void> checkVisual(Mode mode) {
        if (!visual && depth == 32) {
            systemLog("window " + hex(window) +
                      " has a 32-bit visual that Xlib hides (XLIB_SKIP_ARGB_VISUALS): drawing "
                      "it as ARGB");
            return {};
        }
        if (takesOurPixels(visual, depth))
            return {};
        const std::string what = describeVisual(visual, depth);
        if (mode == Mode::rootWindow)
            return failure("the root window is " + what +
                           "; Aerolune draws in 24- or 32-bit true colour only (run it without "
                           "-root for a window of its own, or the X server at depth 24)");
        return failure("window " + hex(window) + " is " + what +
                       "; Aerolune draws in 24- or 32-bit true colour only");
    }

    // Before drawing into the shared image. The answer has usually come in
    // long before the next frame; when it has not (or never will: a window
    // gone takes the request with an error), one round trip makes sure.
    void waitUntilRead() {
        if (!reading)
            return;
        XEvent event;
        XEventsQueued(display, QueuedAfterReading);
        if (!XCheckTypedEvent(display, completionType, &event)) {
            XSync(display, False);
            XCheckTypedEvent(display, completionType, &event);
        }
        reading = false;
    }
};

namespace {

// A list of clip rectangles longer than this would outgrow a request that a
// server without big requests accepts; such a frame goes as boxes.
constexpr std::size_t mostClipPieces = 16000;

// q, Escape or Ctrl+C in the saver's own window.
bool isQuitKey(XKeyEvent& key) {
    const KeySym symbol = XLookupKeysym(&key, 0);
    return symbol == XK_q || symbol == XK_Escape || (symbol == XK_c && (key.state & ControlMask));
}

// Xlib cannot go on once the connection is lost; a saver whose display has
// gone (the session ended) has nothing left to show and ends as if asked to.
int endOnLostDisplay(Display*) {
    std::_Exit(0);
}

} // namespace

Result<unsigned long> X11Output::parseWindowId(const std::string_view text) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    unsigned long id = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), id, base);
    const bool number = !digits.empty() && end == digits.data() + digits.size();
    if (number && (error == std::errc::result_out_of_range || id > 0xffffffff))
        return failure(std::string(text) + " is larger than any X window id (at most 0xffffffff)");
    if (!number || error != std::errc() || id == 0)
        return failure("needs a window id in hex (0x1a00005) or decimal, not \"" +
                       std::string(text) + "\"");
    return id;
}

Result<std::unique_ptr<X11Output>> X11Output::open(const Target& target) {
    auto x = std::make_unique<Connection>();
    x->display = XOpenDisplay(nullptr);
    if (!x->display) {
        return failure("cannot open the X display (is DISPLAY set?)");
    }
    x->previousHandler = XSetErrorHandler(recordXError);
    XSetIOErrorHandler(endOnLostDisplay);
    x->allowSharedMemory = target.allowSharedMemory;
    Display* display = x->display;
    const int screen = DefaultScreen(display);

    switch (target.mode) {
    case Mode::ownWindow: {
        if (auto made = x->createOwnWindow(target.size); !made)
            return made.error();
        XStoreName(display, x->window, target.title.c_str());
        x->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, x->window, &x->deleteWindow, 1);
        break;
    }
    case Mode::rootWindow:
        x->window = RootWindow(display, screen);
        break;
    case Mode::existingWindow:
        x->window = target.windowId;
        break;
    }

    XWindowAttributes attributes{};
    Status status = 0;
    if (trapErrors(display,
                   [&] { status = XGetWindowAttributes(display, x->window, &attributes); }) ||
        !status) {
        x->ownsWindow = false;
        return failure("there is no window " + hex(x->window) + " on this display");
    }
    x->visual = attributes.visual;
    x->depth = attributes.depth;
    if (auto usable = x->checkVisual(target.mode); !usable)
        return usable.error();
    x->width = attributes.width;
    x->height = attributes.height;
    // Keys are the user's way out of a window of our own; elsewhere they belong
    // to whoever owns the window (the screen locker).
    // Whether it can be seen too: a window of our own draws nothing while it
    // is unmapped or wholly covered.
    const long events = StructureNotifyMask | ExposureMask |
                        (x->ownsWindow ? KeyPressMask | VisibilityChangeMask : 0);
    if (trapErrors(display,
                   [&] {
                       XSelectInput(display, x->window, events);
                       x->gc = XCreateGC(display, x->window, 0, nullptr);
                   }) ||
        !x->gc) {
        return failure("cannot draw in window " + hex(x->window));
    }
    if (x->ownsWindow)
        XMapWindow(display, x->window);

    std::unique_ptr<X11Output> output(new X11Output(std::move(x)));
    if (!output->resizeImage(output->x_->width, output->x_->height)) {
        return failure("cannot make an image of " + std::to_string(output->x_->width) + "x" +
                       std::to_string(output->x_->height) + " for window " +
                       hex(output->x_->window));
    }
    return output;
}

X11Output::X11Output(std::unique_ptr<Connection> connection) : x_(std::move(connection)) {}

X11Output::~X11Output() {
    // The compositor must let go of the image memory before it is released.
    compositor_.setTarget(nullptr, 0, 0, 0);
}

bool X11Output::resizeImage(int width, int height) {
    compositor_.setTarget(nullptr, 0, 0, 0);
    x_->releaseImage();
    x_->width = std::max(1, width);
    x_->height = std::max(1, height);
    if (!x_->createSharedImage(x_->width, x_->height) &&
        !x_->createPlainImage(x_->width, x_->height))
        return false;
    compositor_.setTarget(reinterpret_cast<unsigned char*>(x_->image->data), x_->width, x_->height,
                          x_->image->bytes_per_line);
    return true;
}

Size X11Output::size() const {
    const double scale = compositor_.scale();
    return {x_->width / scale, x_->height / scale};
}

void X11Output::setScale(double scale) {
    compositor_.setScale(scale);
}

std::optional<std::string> X11Output::resourceDpi() const {
    return X11Resources::dpi(x_->display);
}

unsigned long X11Output::window() const {
    return x_->window;
}

bool X11Output::usesSharedMemory() const {
    return x_->shared;
}

bool X11Output::processEvents() {
    const bool wanted = wantsFrame();
    const bool open = handleEvents();
    if (wantsFrame() != wanted)
        systemLog(wanted ? "the window is hidden: nothing is drawn until it shows again"
                         : "the window shows again");
    return open;
}

bool X11Output::handleEvents() {
    Display* display = x_->display;
    while (!x_->gone && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == x_->window &&
                (event.xconfigure.width != x_->width || event.xconfigure.height != x_->height) &&
                !resizeImage(event.xconfigure.width, event.xconfigure.height))
                systemLog("cannot make an image of " + std::to_string(x_->width) + "x" +
                          std::to_string(x_->height) + "; nothing is shown until the next resize");
            break;
        case Expose:
            x_->exposed = true;
            break;
        case MapNotify:
        case UnmapNotify:
            if (event.xany.window == x_->window)
                x_->mapped = event.type == MapNotify;
            break;
        case VisibilityNotify:
            x_->obscured = event.xvisibility.state == VisibilityFullyObscured;
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == x_->window)
                x_->gone = true;
            break;
        case KeyPress:
            if (x_->ownsWindow && isQuitKey(event.xkey))
                return false;
            break;
        case ClientMessage:
            if (x_->ownsWindow && static_cast<Atom>(event.xclient.data.l[0]) == x_->deleteWindow)
                return false;
            break;
        default:
            if (event.type == x_->completionType)
                x_->reading = false;
            break;
        }
    }
    return !x_->gone;
}

bool X11Output::wantsFrame() const {
    return !x_->ownsWindow || (x_->mapped && !x_->obscured);
}

int X11Output::eventFd() const {
    return ConnectionNumber(x_->display);
}

void X11Output::present(View& root, double now) {
    if (x_->gone || !x_->image)
        return;
    // A frame that draws nothing never waits for the server.
    const auto redrawn = compositor_.render(root, now, [this] { x_->waitUntilRead(); });
    if (x_->exposed) {
        x_->putClipped({});
        x_->put(0, 0, x_->width, x_->height, true);
        x_->exposed = false;
    } else if (x_->shared && !redrawn.empty() && redrawn.size() <= mostClipPieces) {
        // The server reads the image from memory it shares: one copy of the
        // box around the frame, clipped to the redrawn pieces (bridged: the
        // image holds the whole frame), costs it only those pixels and one
        // request, however many pieces a night has.
        const PixelRect all = x_->putClipped(bridged(redrawn));
        x_->put(all.x, all.y, all.width, all.height, true);
    } else {
        x_->putClipped({});
        const auto boxes = uploadBoxes(redrawn);
        for (std::size_t i = 0; i < boxes.size(); ++i)
            x_->put(boxes[i].x, boxes[i].y, boxes[i].width, boxes[i].height, i + 1 == boxes.size());
    }
    XFlush(x_->display);
}

} // namespace aerolune
