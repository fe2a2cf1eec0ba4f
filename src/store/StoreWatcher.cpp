#include "store/StoreWatcher.h"

#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "store/Prefs.h"

namespace aerolune {

std::shared_ptr<StoreWatcher> StoreWatcher::create(std::function<void()> onChange) {
    const auto file = Prefs::storeFile();
    if (!file)
        return nullptr;
    return create(*file, std::move(onChange));
}

std::shared_ptr<StoreWatcher> StoreWatcher::create(const std::filesystem::path& file,
                                                   std::function<void()> onChange) {
    std::shared_ptr<StoreWatcher> watcher(new StoreWatcher(file, std::move(onChange)));
    if (!watcher->watch())
        return nullptr;
    return watcher;
}

StoreWatcher::StoreWatcher(std::filesystem::path file, std::function<void()> onChange)
    : file_(std::move(file)), onChange_(std::move(onChange)) {}

// Callbacks hold the watcher weakly: it may go while events are on their way.
bool StoreWatcher::watch() {
    const std::weak_ptr<StoreWatcher> weak = weak_from_this();
    const auto folder = file_.parent_path();
    if (!parent_)
        parent_ = FolderWatcher::create(folder.parent_path(), [weak](std::string_view name) {
            if (const auto self = weak.lock())
                self->folderEntryChanged(name);
        });
    folder_ = FolderWatcher::create(folder, [weak](std::string_view name) {
        if (const auto self = weak.lock())
            self->entryChanged(name);
    });
    return folder_ || parent_;
}

void StoreWatcher::entryChanged(std::string_view name) {
    if (name.empty()) {
        systemLog("the folder of the stored location is gone: " + file_.parent_path().string());
        folder_.reset();
        return changed();
    }
    if (name == file_.filename().string())
        changed();
}

void StoreWatcher::folderEntryChanged(std::string_view name) {
    if (name == file_.parent_path().filename().string() && (!folder_ || !folder_->isWatching()) &&
        watch())
        changed();
}

void StoreWatcher::changed() {
    if (pending_)
        return;
    pending_ = true;
    MainQueue::main().asyncAfter(settleSeconds, weak_from_this(), [](StoreWatcher& self) {
        self.pending_ = false;
        self.onChange_();
    });
}

} // namespace aerolune
