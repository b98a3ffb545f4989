#include "web/PageSession.hpp"

#include <emscripten.h>

#include <algorithm>
#include <sstream>

#include "plot/Picture.hpp"
#include "plot/StepView.hpp"
#include "trace/TraceWriter.hpp"
#include "web/PageFrame.hpp"

// The worker's side. Yielding lets the worker take the page's messages; holding waits for the
// page's word. Both answer with what to do next (PageSession::follow).
EM_ASYNC_JS(int, page_yield, (int step), { return await Module.yieldToPage(step); });
EM_ASYNC_JS(int, page_hold, (int step, int last, int holding, const char* line, int length),
            { return await Module.holdAt(step, !!last, !!holding, UTF8ToString(line, length)); });
EM_JS(void, page_run_line, (const char* line, int length, const char* centres, int size),
      { Module.runLine(UTF8ToString(line, length), UTF8ToString(centres, size)); });
EM_JS(void, page_target_line, (const char* line, int length),
      { Module.targetLine(UTF8ToString(line, length)); });

namespace {

// How often a step looks at the clock, and the longest the page waits for a word in.
constexpr unsigned stepsPerLook = 64;
constexpr double yieldInterval = 50.0;  // milliseconds

// Where the picture draws every neuron, in its own coordinates: the page puts a mark there.
std::string centresOf(const NeuroNet& net) {
    std::vector<std::int32_t> sizes{net.inputVector().size()};
    for (const Matrix& w : net.weightMatrices()) {
        sizes.push_back(w.cols());
    }
    std::ostringstream json;
    json << "{\"width\":" << Picture::width << ",\"height\":" << Picture::height
         << ",\"centres\":[";
    for (std::size_t layer = 0; layer < sizes.size(); ++layer) {
        json << (layer > 0 ? ",[" : "[");
        for (std::int32_t k = 0; k < sizes[layer]; ++k) {
            const auto [x, y] = Picture::neuronCentre(sizes, layer, static_cast<std::size_t>(k));
            json << (k > 0 ? ",[" : "[") << x << ',' << y << ']';
        }
        json << ']';
    }
    json << "]}";
    return json.str();
}

// The network as the picture shows it at a step.
StepView viewOf(const NeuroNet::StepRecord& r) {
    const auto nested = [](const Matrix& m) {
        std::vector<std::vector<double>> rows;
        for (std::int32_t i = 0; i < m.rows(); ++i) {
            rows.emplace_back(m.row(i).begin(), m.row(i).end());
        }
        return rows;
    };
    StepView view{r.step, {}, {}};
    for (std::size_t g = 0; g < r.weights.size(); ++g) {
        view.weights.push_back(nested(r.weights[g]));
        view.changes.push_back(nested(r.changes[g]));
    }
    return view;
}

}  // namespace

void PageSession::watch(NeuroNet& net) {
    const NeuroNet::Watcher before = net.watcher();
    const NeuroNet& seen = net;
    net.watch({.begins =
                   [this, before, &seen](double eta, double alpha, double Emax) {
                       if (before.begins) {
                           before.begins(eta, alpha, Emax);
                       }
                       begun(seen, eta, alpha, Emax);
                   },
               .stepEnds =
                   [this, before](const NeuroNet::StepRecord& r) {
                       if (before.stepEnds) {
                           before.stepEnds(r);
                       }
                       stepEnded(r);
                   }});
}

void PageSession::begun(const NeuroNet& net, double eta, double alpha, double Emax) {
    std::ostringstream line;
    TraceWriter(line).run({net.inputVector(), net.weightMatrices(), eta, alpha, Emax,
                           net.stepsAtMost(), NeuroNet::slope, NeuroNet::offset});
    const std::string text = line.str();
    const std::string centres = centresOf(net);
    page_run_line(text.data(), static_cast<int>(text.size()), centres.data(),
                  static_cast<int>(centres.size()));
    if (holdAt_ == 1) {
        keepBefore(net.weightMatrices());
    }
}

void PageSession::targetRead(const Vector& D) {
    std::ostringstream line;
    TraceWriter(line).target(D, std::nullopt);
    const std::string text = line.str();
    page_target_line(text.data(), static_cast<int>(text.size()));
    follow(page_yield(0), 0);  // a pause asked for before training holds its first step
}

void PageSession::stepEnded(const NeuroNet::StepRecord& r) {
    if (r.step == holdAt_ || r.last) {
        follow(show(r, r.step == holdAt_), r.step);
    } else if (++steps_ % stepsPerLook == 0 && emscripten_get_now() >= yieldDue_) {
        follow(page_yield(r.step), r.step);
        yieldDue_ = emscripten_get_now() + yieldInterval;
    }
    if (holdAt_ == r.step + 1) {
        keepBefore(r.weights);
    }
}

void PageSession::keepBefore(std::span<const Matrix> weights) {
    before_.resize(weights.size());
    std::copy(weights.begin(), weights.end(), before_.begin());
}

void PageSession::follow(int command, std::int32_t step) {
    if (command != keep) {
        holdAt_ = command == next ? step + 1 : command;
    }
}

std::string PageSession::stepLine(const NeuroNet::StepRecord& r, bool explained) const {
    std::ostringstream line;
    TraceWriter(line).step(
        {r.step, r.E, r.sums, r.outputs, r.deltas, r.changes, r.weights,
         explained ? r.previousChanges : std::span<const Matrix>(),
         explained ? std::span<const Matrix>(before_) : std::span<const Matrix>()});
    return line.str();
}

// The last step, when not held, sends its numbers without the weights before its update,
// which are not kept at every step.
int PageSession::show(const NeuroNet::StepRecord& r, bool holding) {
    if (holding) {
        const StepView view = viewOf(r);
        frame_.send(true, &view);
    }
    const std::string line = stepLine(r, holding);
    return page_hold(r.step, r.last ? 1 : 0, holding ? 1 : 0, line.data(),
                     static_cast<int>(line.size()));
}
