// Waiting for a condition in tests, with a bound that guards against hanging (not a timing check).
#pragma once

#include <chrono>
#include <functional>

namespace clienttest {

// False when `condition` still does not hold after `limit`.
bool eventually(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(20));

}  // namespace clienttest
