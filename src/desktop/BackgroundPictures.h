#pragma once

// The pictures set as the desktop's background, in
// ${XDG_CACHE_HOME:-~/.cache}/aerolune/, and what was set before the first of
// them.
//
// A desktop may keep the picture of a file name it has seen, so each picture
// gets a name of its own (sky-20240621T120000Z-1.png), is written whole under
// it, set, and only then is the one before removed: the picture showing is
// never removed, and no more than two are ever kept. Nothing in the folder
// but those pictures and the saved setting (previous-background.conf) is
// ever touched.

#include "desktop/DesktopBackground.h"
#include "platform/core/Result.h"
#include "platform/core/Time.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace aerolune {

class BackgroundPictures {
public:
    // The folder, made (0700) when it is missing; or why it cannot be.
    static Result<BackgroundPictures> open();
    // The same in a folder of one's own choosing (tests).
    static Result<BackgroundPictures> open(const std::filesystem::path& folder);

    const std::filesystem::path& folder() const { return folder_; }
    // A name no picture has, for a picture of `moment`.
    std::filesystem::path nameFor(TimePoint moment) const;
    // The pictures in the folder, oldest first.
    std::vector<std::filesystem::path> pictures() const;
    // Whether `path` names one of them (a setting to leave unsaved).
    bool isPicture(std::string_view path) const;
    // Removes every picture but `showing` (all of them when it is empty).
    void keepOnly(const std::filesystem::path& showing) const;

    // What the desktop showed before the first picture, with its desktop's
    // name, once saved; the first save holds until forget().
    std::optional<std::pair<std::string, DesktopBackground::Setting>> saved() const;
    Result<void> save(const std::string& desktop, const DesktopBackground::Setting& setting) const;
    void forget() const;

private:
    explicit BackgroundPictures(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::filesystem::path savedFile() const { return folder_ / "previous-background.conf"; }

    std::filesystem::path folder_;
};

} // namespace aerolune
