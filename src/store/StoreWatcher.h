#pragma once

// Tells a running saver that the stored location may have changed: the file
// was made, written, replaced by a rename or removed, or its folder went or
// came back. A burst of events (a writer's temporary file, its rename, a
// second save straight after) is one change, told settleSeconds after the
// first of them, so that the reader sees the file as the writer left it.
//
// It watches the store's folder, and the folder above it for the store's
// folder coming back after it was removed (the settings window makes it anew
// on its next Save). Events arrive on the main thread (FolderWatcher).

#include "platform/core/FolderWatcher.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace aerolune {

class StoreWatcher : public std::enable_shared_from_this<StoreWatcher> {
public:
    static constexpr int settleSeconds = 1;

    // Null when the store has no folder, or neither it nor the folder above
    // it can be watched.
    static std::shared_ptr<StoreWatcher> create(std::function<void()> onChange);
    // The same for a store file of one's own choosing (tests).
    static std::shared_ptr<StoreWatcher> create(const std::filesystem::path& file,
                                                std::function<void()> onChange);

private:
    StoreWatcher(std::filesystem::path file, std::function<void()> onChange);
    bool watch();
    void entryChanged(std::string_view name);
    void folderEntryChanged(std::string_view name);
    void changed();

    std::filesystem::path file_;
    std::function<void()> onChange_;
    std::shared_ptr<FolderWatcher> folder_;
    std::shared_ptr<FolderWatcher> parent_;
    bool pending_ = false;
};

} // namespace aerolune
