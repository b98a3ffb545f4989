#include "app/TraceRecorder.hpp"

#include <exception>
#include <ostream>

template <typename Write>
void TraceRecorder::attempt(Write&& write) {
    if (!failure_.empty()) {
        return;
    }
    try {
        write();
    } catch (const std::exception& why) {
        failure_ = why.what();
    }
}

void TraceRecorder::watch(NeuroNet& net, std::optional<std::uint32_t> seed) {
    const NeuroNet& seen = net;
    net.watch({.begins =
                   [this, &seen, seed](double eta, double alpha, double Emax) {
                       attempt([&] {
                           writer_.run({seen.inputVector(), seen.weightMatrices(), eta, alpha, Emax,
                                        seen.stepsAtMost(), NeuroNet::slope, NeuroNet::offset,
                                        seed});
                       });
                   },
               .stepEnds =
                   [this](const NeuroNet::StepRecord& r) {
                       if (steps_.includes(r.step, r.last)) {
                           attempt([&] {
                               writer_.step({r.step, r.E, r.sums, r.outputs, r.deltas, r.changes,
                                             r.weights});
                           });
                       }
                   }});
}

void TraceRecorder::targetRead(const Vector& D, const std::optional<Vector::ReadFailure>& unread) {
    attempt([&] { writer_.target(D, unread ? std::optional(unread->index) : std::nullopt); });
}

void TraceRecorder::end(const NeuroNet::Outcome& outcome, int status) {
    attempt([&] {
        writer_.end({outcome.limitMet ? "met" : "stopped",
                     outcome.limitMet ? "" : outcome.stop.name(), outcome.steps, outcome.E,
                     status});
        out_.flush();
    });
}

void TraceRecorder::failed(const std::string& why, int status) {
    attempt([&] {
        writer_.end({"failed", why, std::nullopt, std::nullopt, status});
        out_.flush();
    });
}
