#pragma once

// The one way an operation that can fail says so: it returns a Result, which
// holds either the value asked for or an error that says why not. The error
// type is an Error (one sentence for a person to read) unless the operation
// has a richer one of its own, such as a LocationError or a GeocodeError.
//
//     Result<Options> parsed = Options::parse(arguments);
//     if (!parsed)
//         std::cerr << "aerolune: " << parsed.error().message << '\n';
//
// Result<void> is an outcome without a value. Nothing here throws: reading the
// value of a failure, or the error of a success, is a programming error and
// stops the program.

#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace aerolune {

// Why something could not be done, in words for the user.
struct Error {
    std::string message;
    bool operator==(const Error&) const = default;
};

inline Error failure(std::string message) {
    return Error{std::move(message)};
}

template <typename T, typename E = Error> class [[nodiscard]] Result {
public:
    static_assert(!std::is_same_v<std::decay_t<T>, std::decay_t<E>>,
                  "a value and an error of the same type could not be told apart");

    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return checked<0>(); }
    const T& value() const& { return checked<0>(); }
    T&& value() && { return std::move(checked<0>()); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T valueOr(T fallback) const& { return ok() ? value() : std::move(fallback); }

    const E& error() const { return checked<1>(); }

private:
    template <std::size_t I> auto& checked() {
        if (state_.index() != I)
            std::abort();
        return *std::get_if<I>(&state_);
    }
    template <std::size_t I> const auto& checked() const {
        if (state_.index() != I)
            std::abort();
        return *std::get_if<I>(&state_);
    }

    std::variant<T, E> state_;
};

template <typename E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const E& error() const {
        if (!failed_)
            std::abort();
        return error_;
    }

private:
    E error_{};
    bool failed_ = false;
};

} // namespace aerolune
