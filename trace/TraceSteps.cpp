#include "trace/TraceSteps.hpp"

#include <charconv>
#include <limits>

namespace {

// A whole number from 1 up, the whole of the text.
std::optional<std::int32_t> count(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<TraceSteps> TraceSteps::parse(std::string_view list) {
    TraceSteps steps;
    steps.every_ = false;
    constexpr std::string_view every = "every:";
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item = list.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        std::optional<std::int32_t> first, last, stride = 1;
        if (item.starts_with(every)) {
            first = stride = count(item.substr(every.size()));
            last = std::numeric_limits<std::int32_t>::max();
        } else if (dash != item.npos) {
            first = count(item.substr(0, dash));
            last = count(item.substr(dash + 1));
        } else {
            first = last = count(item);
        }
        if (!first || !last || !stride || *last < *first) {
            return std::nullopt;
        }
        steps.ranges_.push_back({*first, *last, *stride});
        start = comma + 1;
    }
    return steps;
}

bool TraceSteps::includes(std::int32_t step, bool last) const {
    if (every_ || last) {
        return true;
    }
    for (const Range& range : ranges_) {
        if (step >= range.first && step <= range.last && (step - range.first) % range.stride == 0) {
            return true;
        }
    }
    return false;
}
