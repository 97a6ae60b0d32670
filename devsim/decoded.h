// The result of a decoder: the value, or a short reason why there is none.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

namespace talveno::devsim {

template <class T>
class [[nodiscard]] Decoded {
public:
    static Decoded success(T value) { return Decoded(std::move(value), {}); }
    static Decoded failure(std::string_view reason) { return Decoded(std::nullopt, reason); }

    [[nodiscard]] bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const T& value() const { return *value_; }
    [[nodiscard]] const T& operator*() const { return *value_; }
    [[nodiscard]] const T* operator->() const { return &*value_; }
    // Empty on success; a fixed text on failure.
    [[nodiscard]] std::string_view reason() const { return reason_; }

private:
    Decoded(std::optional<T> value, std::string_view reason)
        : value_(std::move(value)), reason_(reason) {}

    std::optional<T> value_;
    std::string_view reason_;
};

}  // namespace talveno::devsim
