#pragma once

// The window a configuration sheet lives in, as far as the sheet itself needs
// it: a way to end it. Whoever shows the window (the settings program, a
// screen-saver host) says what ending means by giving a handler; until then
// ending the sheet does nothing.
//
// The window does not own its content, so the content may hold its window
// strongly without making a cycle.

#include <functional>

namespace aerolune {

class SheetWindow {
public:
    using EndSheetHandler = std::function<void()>;

    void setEndSheetHandler(EndSheetHandler handler) { endSheetHandler_ = std::move(handler); }

    // Ends the sheet: runs the handler, on every call. A copy runs, so the
    // handler may replace itself.
    void endSheet() const {
        if (const auto handler = endSheetHandler_)
            handler();
    }

private:
    EndSheetHandler endSheetHandler_;
};

} // namespace aerolune
