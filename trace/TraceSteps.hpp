#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Which training steps a trace holds: every one, or those a list names, and always the
// last. The list joins with commas single steps ("7"), ranges ("1-100") and strides
// ("every:1000", the thousandth, the two-thousandth and so on).
class TraceSteps {
  public:
    // Every step.
    TraceSteps() = default;
    // The list's steps; nothing when the list is not one.
    static std::optional<TraceSteps> parse(std::string_view list);

    // Whether the step is traced; the last is, whichever it is.
    bool includes(std::int32_t step, bool last) const;

  private:
    struct Range {
        std::int32_t first, last, stride;
    };
    std::vector<Range> ranges_;
    bool every_ = true;
};
