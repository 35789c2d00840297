#pragma once
// Going round a list, as the focus goes round the controls that take it.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace app {

// The item after `current` among `items`, going round; the one before it when `backwards`. From an item
// that is not among them, the first (the last when backwards). Nothing when there are none.
template <class T>
std::optional<T> nextInCycle(const std::vector<T>& items, const T& current, bool backwards) {
    if (items.empty())
        return std::nullopt;
    const auto count = static_cast<std::ptrdiff_t>(items.size());
    const auto at = std::find(items.begin(), items.end(), current) - items.begin();
    if (at == count)
        return backwards ? items.back() : items.front();
    return items[static_cast<std::size_t>((at + (backwards ? count - 1 : 1)) % count)];
}

} // namespace app
