#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "net/NeuroNet.hpp"
#include "trace/TraceSteps.hpp"
#include "trace/TraceWriter.hpp"

// Traces one run of the dialogue into its own stream, never into the dialogue's: a write
// that fails ends the trace, not the run, and is told once the run is over.
class TraceRecorder {
  public:
    // `out` throws when a write fails (its exceptions include badbit).
    TraceRecorder(std::ostream& out, TraceSteps steps) : out_(out), writer_(out), steps_(steps) {}

    // Watches the network's training: its beginning, with the seed its generator was given if
    // any, and the steps chosen.
    void watch(NeuroNet& net, std::optional<std::uint32_t> seed = {});
    void targetRead(const Vector& D, const std::optional<Vector::ReadFailure>& unread);
    // How the run ended, and its status; then the trace is written out.
    void end(const NeuroNet::Outcome& outcome, int status);
    void failed(const std::string& why, int status);

    // Why the trace could not be written, once that has happened; empty while it can.
    const std::string& failure() const { return failure_; }

  private:
    // Writes, unless a write has failed, and notes a failure.
    template <typename Write>
    void attempt(Write&& write);

    std::ostream& out_;
    TraceWriter writer_;
    TraceSteps steps_;
    std::string failure_;
};
