// Linked into the display test in place of the system's, these calls fail as
// they can in use when $AEROLUNE_FAILING_CALLS names them (separated by
// commas), and pass every other call on to the system's:
//   shmat         no room to map the segment in this process (ENOMEM);
//   XShmAttach    a server that cannot reach the segment (a remote one, or one
//                 in another IPC namespace): the request names a segment that
//                 no longer exists, and the server answers with an error;
//   XCreateImage  no memory for the image (null).

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/shm.h>

namespace {

bool failing(const char* call) {
    const char* list = std::getenv("AEROLUNE_FAILING_CALLS");
    return list &&
           ("," + std::string(list) + ",").find("," + std::string(call) + ",") != std::string::npos;
}

template <typename Function> Function* real(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

} // namespace

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
