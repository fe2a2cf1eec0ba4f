#pragma once

// The outcome of loading a data file: the shared, read-only value, or the
// reason it could not be had.

#include <memory>
#include <string>

namespace aerolune {

template <class T> struct Loaded {
    std::shared_ptr<const T> value;
    std::string error;

    explicit operator bool() const { return value != nullptr; }
    const T& operator*() const { return *value; }
    const T* operator->() const { return value.get(); }
};

} // namespace aerolune
