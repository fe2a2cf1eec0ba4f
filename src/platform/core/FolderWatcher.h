#pragma once

// Tells of changes to the entries of one folder, through inotify: an entry
// made, written and closed, renamed into or out of the folder, or removed; and
// the folder itself removed or renamed, after which nothing more comes.
//
// Watching a folder rather than a file sees what a file watch misses: a file
// made for the first time, and a file replaced by a rename (as every careful
// writer replaces one), which a watch on the old file would never follow.
//
// Events are read on the main thread, when the run loop finds the descriptor
// readable (MainQueue::watch); the handler gets the name of each entry, or an
// empty name when the folder itself has gone.

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

namespace aerolune {

class FolderWatcher : public std::enable_shared_from_this<FolderWatcher> {
public:
    using Handler = std::function<void(std::string_view name)>;

    // Null when the folder cannot be watched (it does not exist, or the
    // system has no watches left).
    static std::shared_ptr<FolderWatcher> create(const std::filesystem::path& folder,
                                                 Handler handler);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    // False once the folder has gone.
    bool isWatching() const { return watch_ >= 0; }

private:
    FolderWatcher(std::filesystem::path folder, Handler handler);
    void readEvents();
    void stop();

    std::filesystem::path folder_;
    Handler handler_;
    int fd_ = -1;
    int watch_ = -1;
};

} // namespace aerolune
