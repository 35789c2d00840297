#pragma once
// How every platform operation that can fail says so: a value, or an error with the text that tells
// what went wrong. Exceptions never cross port/, and a failure is never an empty string or a null
// pointer, so a caller cannot mistake one for a success. Where the caller must tell failures apart, the
// error is a type of its own (E).
#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace port {

// A failure. Some operations promise a text for the user (the shortcut and launch errors); the others
// describe the failure for whoever reads it. An empty text is still a failure.
struct Error {
    std::string message;
    // The system's own words for the cause, where it gave them (empty otherwise): for a tool that names
    // the file itself and wants only the reason.
    std::string cause;
};

inline Error fail(std::string message, std::string cause = {}) {
    return Error{std::move(message), std::move(cause)};
}

template <class T, class E = Error> class [[nodiscard]] Result {
  public:
    // Anything a T is made from, so `return std::make_unique<Derived>(...)` gives a
    // Result<std::unique_ptr<Base>> as a plain unique_ptr would.
    template <class U = T, std::enable_if_t<std::is_constructible_v<T, U&&> &&
                                                !std::is_same_v<std::remove_cvref_t<U>, Result> &&
                                                !std::is_same_v<std::remove_cvref_t<U>, E>,
                                            int> = 0>
    Result(U&& value) : m_state(std::in_place_index<0>, std::forward<U>(value)) {}
    Result(E error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value of a success; asking a failure for its value is a fault of the caller and ends the
    // program rather than reading what is not there.
    T& value() & { return *checked(); }
    const T& value() const& { return *checked(); }
    T&& value() && { return std::move(*checked()); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*checked()); }
    T* operator->() { return checked(); }
    const T* operator->() const { return checked(); }

    template <class U> T value_or(U&& fallback) const& {
        return ok() ? *std::get_if<0>(&m_state) : static_cast<T>(std::forward<U>(fallback));
    }
    template <class U> T value_or(U&& fallback) && {
        return ok() ? std::move(*std::get_if<0>(&m_state)) : static_cast<T>(std::forward<U>(fallback));
    }

    // A failure equals no value.
    friend bool operator==(const Result& result, const T& value) {
        return result.ok() && *std::get_if<0>(&result.m_state) == value;
    }

    // The failure's text; empty for a success.
    const std::string& error() const requires std::is_same_v<E, Error> {
        static const std::string none;
        const Error* e = std::get_if<1>(&m_state);
        return e ? e->message : none;
    }
    // The failure; asking a success for it is a fault of the caller.
    const E& failure() const {
        if (ok())
            std::abort();
        return *std::get_if<1>(&m_state);
    }

  private:
    T* checked() {
        if (!ok())
            std::abort();
        return std::get_if<0>(&m_state);
    }
    const T* checked() const {
        if (!ok())
            std::abort();
        return std::get_if<0>(&m_state);
    }

    std::variant<T, E> m_state;
};

// An operation that gives nothing back but may fail.
template <class E> class [[nodiscard]] Result<void, E> {
  public:
    Result() = default;
    Result(E error) : m_failed(true), m_error(std::move(error)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const requires std::is_same_v<E, Error> { return m_error.message; }
    const E& failure() const {
        if (ok())
            std::abort();
        return m_error;
    }

  private:
    bool m_failed = false;
    E m_error{};
};

} // namespace port
