// A value or a result code, returned by functions inside a module; codes become the system's
// result codes at the exported functions.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

#include "tqhd_types.h"

namespace nvr {

using Code = int32_t;

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}  // NOLINT: implicit by design
    static Result failure(Code code) { return Result(code, 0); }

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    Code code() const { return ok() ? TQHD_OK : std::get<Code>(state_); }
    T& value() { return std::get<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }

private:
    Result(Code code, int) : state_(code) {}
    std::variant<T, Code> state_;
};

// Makes a failed Result of any value type from a code: `return fail(TQHD_E_SEEK);`
struct fail {
    explicit fail(Code c) : code(c) {}
    template <typename T>
    operator Result<T>() const {  // NOLINT: implicit by design
        return Result<T>::failure(code);
    }
    Code code;
};

inline bool succeeded(Code code) { return code == TQHD_OK; }

}  // namespace nvr
