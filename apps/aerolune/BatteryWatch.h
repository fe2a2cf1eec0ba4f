#pragma once

// --on-battery still: while the machine runs on its battery the saver stands
// still (SaverHostView::setStill), and moves again on mains. The power state
// is read at the start and then every checkSeconds: the kernel announces no
// change that a plain read could wait on, and a still sky a minute late in
// moving again costs nothing. The watch stops when it is let go.

#include <functional>
#include <memory>
#include <utility>

namespace aerolune {

class BatteryWatch : public std::enable_shared_from_this<BatteryWatch> {
public:
    static constexpr int checkSeconds = 30;

    // Reads the state now, tells `apply` whether to stand still, and from
    // then on tells it of each change.
    static std::shared_ptr<BatteryWatch> start(std::function<void(bool still)> apply);

    bool still() const { return still_; }

private:
    explicit BatteryWatch(std::function<void(bool still)> apply) : apply_(std::move(apply)) {}
    void check();

    std::function<void(bool still)> apply_;
    bool still_ = false;
    bool known_ = false;
};

} // namespace aerolune
