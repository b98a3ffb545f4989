#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Whole types, not declarations: a span of an incomplete type is ill-formed once it is
// used as a range, and newer standard libraries check that in the header.
#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// Writes a trace of a run: JSON Lines, every number exact (JsonNumber). A line for the run
// as training begins, one when the target has been read, one per traced step, and one for
// how the run ended; docs/trace.md describes them.
class TraceWriter {
  public:
    explicit TraceWriter(std::ostream& out) : out_(out) {}

    // What training begins with: the input, the neuron counts of every layer, the initial
    // weights, the learning rate, the share of the previous change, the error limit, the
    // step limit, the activation's slope and offset, and the seed the generator was given,
    // if any (no key when none, so that an unseeded run's line is as it always was).
    struct Run {
        const Vector& input;
        std::span<const Matrix> weights;
        double eta, alpha, limit;
        std::int32_t stepLimit;
        double slope, offset;
        std::optional<std::uint32_t> seed = std::nullopt;
    };
    void run(const Run& run);
    // The target as read, and the first element that could not be read (and so is 0).
    void target(const Vector& D, std::optional<std::int32_t> unread);
    // One step: for every computed layer its weighted sums, outputs and error terms, this
    // step's weight changes and the weights after the update; and the error E. A line for a
    // reader who explains the step may add, as "P" and "Wbefore", the previous step's
    // changes and the weights before the update.
    struct Step {
        std::int32_t step;
        double E;
        std::span<const Vector> sums, outputs, deltas;
        std::span<const Matrix> changes, weights;
        std::span<const Matrix> previous = {}, before = {};
    };
    void step(const Step& step);
    // How the run ended: "met", "stopped" (with why) or "failed" (with the diagnostic), the
    // steps made and the last error, when known, and the exit status.
    struct End {
        std::string_view ended, why;
        std::optional<std::int32_t> steps;
        std::optional<double> E;
        int status;
    };
    void end(const End& end);

  private:
    void key(std::string_view name);
    void number(double value);
    void numbers(std::span<const double> values);
    void matrix(const Matrix& matrix);
    void text(std::string_view words);
    void finishLine();

    std::ostream& out_;
    std::string line_;
};
