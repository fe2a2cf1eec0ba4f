#pragma once

// What the saver hands out as its configuration sheet: a description of the
// window, for whoever shows it (the settings program), with a new sheet
// inside. Every call of create() makes a new window and a new sheet that
// starts with an empty text field, no place and no error; the stored place
// loads when the sheet appears.
//
// The sheet's lookups answer through the poster, which must run the task it
// is handed on the main thread of whoever shows the window.

#include "geocode/Geocoder.h"
#include "sheet/ConfigView.h"
#include "sheet/SheetWindow.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace aerolune {

struct ConfigureSheet {
    struct Rect {
        double x, y, width, height;
        bool operator==(const Rect&) const = default;
    };
    // The window's style, bit for bit as a window server of that family reads it.
    enum StyleMask : std::uint32_t {
        titled = 1u << 0,
        closable = 1u << 1,
        miniaturizable = 1u << 2,
        resizable = 1u << 3,
        fullSizeContentView = 1u << 15,
    };
    enum class Backing { retained = 1, buffered = 2 };

    static constexpr std::string_view mainWindowAutosaveName = "Main Window";

    Rect contentRect{0, 0, 800, 600};
    std::uint32_t styleMask =
        titled | closable | miniaturizable | resizable | fullSizeContentView; // 0x800F
    Backing backing = Backing::buffered;
    bool defer = false;
    bool centred = true;
    std::string_view frameAutosaveName = mainWindowAutosaveName;
    bool releasedWhenClosed = false;
    std::shared_ptr<SheetWindow> window;
    std::shared_ptr<ConfigView> contentView;

    static ConfigureSheet create(Geocoder::Poster mainThread);
};

} // namespace aerolune
