// What both the program and the voice analysis need of a sound's
// statistics: the value below which a share q of the values lie.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace voice {

inline float quantile(std::vector<float> values, double q) {
    if (values.empty())
        return 0;
    const size_t at = static_cast<size_t>(q * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at),
                     values.end());
    return values[at];
}

} // namespace voice
