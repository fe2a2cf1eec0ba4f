#pragma once

// What a renderer keeps about a view or layer between frames (where it was
// drawn last, a cached picture of it). Opaque to the model, owned by the node so
// that it goes when the node goes.
//
// Each renderer takes a number of its own (newOwner()) and stamps it on every
// state it makes, all of one type: a renderer that finds its own number on a
// node's state knows the state's type without asking, and one that finds
// another's (a second compositor of the same tree) makes its own.

#include <atomic>
#include <cstdint>

namespace aerolune {

class RenderState {
public:
    explicit RenderState(std::uint64_t owner) : owner_(owner) {}
    virtual ~RenderState() = default;
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

    std::uint64_t owner() const { return owner_; }

    // A number no other renderer of this process has.
    static std::uint64_t newOwner() {
        static std::atomic<std::uint64_t> next{1};
        return next++;
    }

private:
    std::uint64_t owner_;
};

} // namespace aerolune
