#include "platform/core/FolderWatcher.h"

#include "platform/core/MainQueue.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace aerolune {

std::shared_ptr<FolderWatcher> FolderWatcher::create(const std::filesystem::path& folder,
                                                     Handler handler) {
    std::shared_ptr<FolderWatcher> watcher(new FolderWatcher(folder, std::move(handler)));
    if (!watcher->isWatching())
        return nullptr;
    MainQueue::main().watch(watcher->fd_, std::weak_ptr<FolderWatcher>(watcher),
                            [](FolderWatcher& self) { self.readEvents(); });
    return watcher;
}

FolderWatcher::FolderWatcher(std::filesystem::path folder, Handler handler)
    : folder_(std::move(folder)), handler_(std::move(handler)),
      fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0)
        return;
    constexpr std::uint32_t events = IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    watch_ = ::inotify_add_watch(fd_, folder_.c_str(), events);
}

FolderWatcher::~FolderWatcher() {
    if (fd_ < 0)
        return;
    MainQueue::main().unwatch(fd_);
    ::close(fd_);
}

void FolderWatcher::stop() {
    if (watch_ >= 0)
        ::inotify_rm_watch(fd_, watch_);
    watch_ = -1;
}

void FolderWatcher::readEvents() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // The handler may let go of the watcher: keep it alive to the end.
            const auto self = shared_from_this();
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                const bool wasWatching = isWatching();
                stop();
                if (wasWatching)
                    handler_({});
                return;
            }
            if (event->len > 0)
                handler_(event->name);
        }
    }
}

} // namespace aerolune
