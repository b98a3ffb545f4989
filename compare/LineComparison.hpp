#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// Compares one line of a trace with the reference's line of the same kind, in the order the
// computation makes the numbers, and finds the first value that differs beyond the
// tolerance. Only what the second line holds is compared: a key, a layer it leaves out is
// passed over.
class LineComparison {
  public:
    // Two numbers agree when they are equal (both NaN count as equal, and -0 as 0), or no
    // more than `ulps` doubles apart, or when their difference is no more than `relative`
    // times the larger magnitude. Counts agree only when equal.
    struct Tolerance {
        std::uint64_t ulps = 0;
        double relative = 0;
        bool admits(double reference, double mine) const;
    };

    // Where the lines part: the value's path in the line ("layers[3].delta[0]"), its key,
    // its computed layer if it has one, and both values as read (whole arrays where their
    // shapes differ).
    struct Difference {
        std::string path, key;
        std::optional<std::size_t> layer;
        nlohmann::json reference, mine;
    };

    // The reference's line lacks a key that the other line has.
    struct Missing {
        std::string key;
    };

    explicit LineComparison(Tolerance tolerance) : tolerance_(tolerance) {}

    // The first difference of two lines of `kind` ("run", "target", "step" or "end"), or
    // none. The run's step limit is not compared here. Throws Missing.
    std::optional<Difference> compare(const std::string& kind, const nlohmann::json& reference,
                                      const nlohmann::json& mine);

    // How many values the last comparison reached, its difference included: of two lines
    // compared with the same line of mine, the one with the higher count agreed further.
    std::int64_t reached() const { return reached_; }
    // The numbers compared in all.
    std::int64_t numbers() const { return numbers_; }
    const Tolerance& tolerance() const { return tolerance_; }

    // How many doubles lie from one value to the other (-0 and 0 count as one).
    static std::uint64_t ulpsApart(double a, double b);

  private:
    bool compareKey(const nlohmann::json& reference, const nlohmann::json& mine,
                    const std::string& key, const std::string& prefix,
                    std::optional<std::size_t> layer);
    bool compareValues(const nlohmann::json& reference, const nlohmann::json& mine,
                       const std::string& path, const std::string& key,
                       std::optional<std::size_t> layer);
    bool compareStep(const nlohmann::json& reference, const nlohmann::json& mine);

    Tolerance tolerance_;
    std::optional<Difference> difference_;
    std::int64_t reached_ = 0;
    std::int64_t numbers_ = 0;
};
