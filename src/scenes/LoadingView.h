#pragma once

// What the loading panel says, and in which colours: "Loading the sky…" while
// the first forecast is awaited, or why it failed and a request to check the
// settings, in the user's language.
//
// The error is given as its readable description, so that any error type can
// be shown; an empty description still gives the request on its own line.

#include "platform/core/Color.h"

#include <optional>
#include <string>
#include <utility>

namespace aerolune {

class LoadingView {
public:
    // The standard blue at half opacity, on white.
    static constexpr Color foregroundColor{0, 0, 1, 0.5};
    static constexpr Color backgroundColor{1, 1, 1, 1};

    explicit LoadingView(std::optional<std::string> errorDescription = std::nullopt)
        : errorDescription_(std::move(errorDescription)) {}

    const std::optional<std::string>& errorDescription() const { return errorDescription_; }
    // One or two lines, each to be centred.
    std::string text() const;

private:
    std::optional<std::string> errorDescription_;
};

} // namespace aerolune
