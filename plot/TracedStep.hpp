#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "plot/StepView.hpp"
#include "trace/TraceLines.hpp"

// One step of a run as neuronet's trace of it gives it (docs/trace.md), read line by line as
// far as that step: the network after the step, and the target. The trace must be of the
// network with these layer sizes. Throws TraceLines::Unusable, naming the line and what was
// expected there.
class TracedStep {
  public:
    TracedStep(TraceLines& lines, const std::vector<std::int32_t>& layerSizes, std::int64_t step);

    const StepView& view() const { return view_; }
    // The target as the trace's "target" line gives it; empty when no such line came first.
    const std::vector<double>& target() const { return target_; }

  private:
    void readRun(const nlohmann::json& line);
    void readTarget(const nlohmann::json& line);
    void readStep(const nlohmann::json& line);
    // Reads the layer's matrix `key` feeding computed layer `g` into `into`; false unless it
    // is numbers shaped by the layer sizes.
    bool readMatrix(const nlohmann::json& layer, const char* key, std::size_t g,
                    std::vector<std::vector<std::vector<double>>>& into) const;

    TraceLines& lines_;
    const std::vector<std::int32_t>& layerSizes_;
    StepView view_;
    std::vector<double> target_;
};
