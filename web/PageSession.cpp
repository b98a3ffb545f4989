#include "web/PageSession.hpp"

#include <emscripten.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "plot/Picture.hpp"
#include "plot/StepView.hpp"
#include "web/PageCheckpoint.hpp"
#include "web/PageFrame.hpp"
#include "web/PageSeam.hpp"
#include "web/StepTexts.hpp"

// The worker's side. Yielding lets the worker take the page's messages; holding waits for the
// page's word. Both answer with where to hold next (PageSeam::Hold).
EM_ASYNC_JS(int, page_yield, (int step), { return await Module.yieldToPage(step); });
EM_ASYNC_JS(int, page_hold, (int step, int last, int holding, const char* texts, int length),
            { return await Module.holdAt(step, !!last, !!holding, UTF8ToString(texts, length)); });
EM_JS(void, page_run_begins, (const char* layout, const char* texts),
      { Module.runBegins(UTF8ToString(layout), UTF8ToString(texts)); });
// Training begins after step `after`, 0 unless it resumes from a checkpoint: the text handed
// over before it was written before the resumption.
EM_JS(void, page_training_begins, (int after), { Module.trainingBegins(after); });
EM_JS(void, page_checkpoint,
      (int step, double lines, const double* state, int size, const double* kept, int keptSize), {
          Module.checkpoint(step, lines, HEAPF64.slice(state >> 3, (state >> 3) + size),
                            HEAPF64.slice(kept >> 3, (kept >> 3) + keptSize));
      });
// The checkpoint offered to resume from: its part 0 (the state) or 1 (the picture's steps
// logged up to it), their count, or -1 when none is offered; then the part copied.
EM_JS(int, page_offered_size, (int part),
      { return Module.offered ? Module.offered[part].length : -1; });
EM_JS(void, page_offered_copy, (int part, double* into),
      { HEAPF64.set(Module.offered[part], into >> 3); });

double PageSession::pace_ = 0;

namespace {

// How often a step looks at the clock, and the longest the page waits for a word in.
constexpr unsigned stepsPerLook = 64;
constexpr double yieldInterval = 50.0;  // milliseconds

// Where the picture draws every neuron, in its own coordinates: the page puts a mark there.
std::string layoutOf(const NeuroNet& net) {
    std::vector<std::int32_t> sizes{net.inputVector().size()};
    for (const Matrix& w : net.weightMatrices()) {
        sizes.push_back(w.cols());
    }
    nlohmann::json centres = nlohmann::json::array();
    for (std::size_t layer = 0; layer < sizes.size(); ++layer) {
        nlohmann::json marks = nlohmann::json::array();
        for (std::int32_t k = 0; k < sizes[layer]; ++k) {
            const auto [x, y] = Picture::neuronCentre(sizes, layer, static_cast<std::size_t>(k));
            marks.push_back({x, y});
        }
        centres.push_back(std::move(marks));
    }
    return nlohmann::json{{"width", Picture::width},
                          {"height", Picture::height},
                          {"sizes", sizes},
                          {"centres", std::move(centres)}}
        .dump();
}

// The constants of training, as the page shows them.
std::string constantTexts(double eta, double alpha) {
    const auto pair = [](double x) { return nlohmann::json::parse(StepTexts::pair(x)); };
    return nlohmann::json{{"eta", pair(eta)},
                          {"alpha", pair(alpha)},
                          {"slope", pair(NeuroNet::slope)},
                          {"lowest", pair(NeuroNet::offset)},
                          {"highest", pair(NeuroNet::offset + 1)}}
        .dump();
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
    StepView view{r.step, {}, {}, r.E};
    for (std::size_t g = 0; g < r.weights.size(); ++g) {
        view.weights.push_back(nested(r.weights[g]));
        view.changes.push_back(nested(r.changes[g]));
    }
    return view;
}

std::vector<double> offered(int part) {
    std::vector<double> values(static_cast<std::size_t>(std::max(page_offered_size(part), 0)));
    if (!values.empty()) {
        page_offered_copy(part, values.data());
    }
    return values;
}

}  // namespace

PageSession::PageSession(PageFrame& frame, Holds holds)
    : frame_(frame), holdAt_(0), end_(holds.end), lastCheckpoint_(holds.checkpointsAfter) {
    follow(holds.first, 0);
}

void PageSession::watch(NeuroNet& net) {
    net_ = &net;
    const NeuroNet::Watcher before = net.watcher();
    net.watch({.begins =
                   [this, before](double eta, double alpha, double Emax) {
                       if (before.begins) {
                           before.begins(eta, alpha, Emax);
                       }
                       begun(eta, alpha);
                   },
               .stepEnds =
                   [this, before](const NeuroNet::StepRecord& r) {
                       if (before.stepEnds) {
                           before.stepEnds(r);
                       }
                       stepEnded(r);
                   }});
}

void PageSession::begun(double eta, double alpha) {
    eta_ = eta;
    alpha_ = alpha;
    page_run_begins(layoutOf(*net_).c_str(), constantTexts(eta, alpha).c_str());
}

void PageSession::targetRead(const Vector& D) {
    D_ = D;
    const std::int32_t made = resumeIfOffered();
    page_training_begins(made);
    if (made == 0) {
        keepBefore(net_->weightMatrices(), 1);
    }
    follow(page_yield(made), made);  // a pause asked for before training holds its first step
}

std::int32_t PageSession::resumeIfOffered() {
    const std::vector<double> state = offered(0);
    auto checkpoint = PageCheckpoint::decoded(state, net_->weightMatrices());
    if (!checkpoint) {
        return 0;
    }
    const auto outputs = static_cast<std::size_t>(net_->output().size());
    const std::int32_t made = checkpoint->training.step;
    frame_.resume(checkpoint->lines, made, checkpoint->stride,
                  PageCheckpoint::decodedSteps(offered(1), outputs));
    lastCheckpoint_ = std::max(lastCheckpoint_, made);
    keepBefore(checkpoint->training.weights, made + 1);
    net_->resumeFrom(std::move(checkpoint->training));
    return made;
}

void PageSession::stepEnded(const NeuroNet::StepRecord& r) {
    if (r.step % checkpointEvery == 0 && r.step > lastCheckpoint_ && !r.last) {
        checkpoint(r);
    }
    if (pace_ > 0 && !r.last) {
        const int command = page_yield(r.step);
        if (command == PageSeam::glimpse) {
            show(r, Showing::glimpsed);
        } else {
            follow(command, r.step);
        }
    }
    if (r.step == holdAt_ || r.last) {
        follow(show(r, r.step == holdAt_ ? Showing::held : Showing::last), r.step);
    } else if (pace_ <= 0 && ++steps_ % stepsPerLook == 0 && emscripten_get_now() >= yieldDue_) {
        follow(page_yield(r.step), r.step);
        yieldDue_ = emscripten_get_now() + yieldInterval;
    }
    // At a pace every step may be shown, and explained.
    if (pace_ > 0 || holdAt_ == r.step + 1) {
        keepBefore(r.weights, r.step + 1);
    }
    previousE_ = r.E;
}

// Only a drawn run whose picture reads on makes checkpoints: a run resumed from one draws
// the picture of the run it resumes.
void PageSession::checkpoint(const NeuroNet::StepRecord& r) {
    const PagePicture* picture = frame_.picture();
    if (picture == nullptr || !picture->fault().empty()) {
        return;
    }
    frame_.handOver();  // the picture reads the step's lines
    const PageCheckpoint checkpoint{NeuroNet::stateAfter(r), frame_.outputLines(),
                                    picture->stride()};
    const std::vector<double> state = checkpoint.encoded();
    const std::vector<double> kept = PageCheckpoint::encodedSteps(
        picture->keptAfter(lastCheckpoint_), static_cast<std::size_t>(r.outputs.back().size()));
    page_checkpoint(r.step, static_cast<double>(checkpoint.lines), state.data(),
                    static_cast<int>(state.size()), kept.data(), static_cast<int>(kept.size()));
    lastCheckpoint_ = r.step;
}

void PageSession::keepBefore(std::span<const Matrix> weights, std::int32_t step) {
    before_.resize(weights.size());
    std::copy(weights.begin(), weights.end(), before_.begin());
    beforeStep_ = step;
}

// A run that was stopped is held at the step it was stopped at, wherever else it is told.
void PageSession::follow(int command, std::int32_t step) {
    if (command != PageSeam::keep) {
        holdAt_ = command == PageSeam::next ? step + 1 : command;
    }
    if (end_ > 0 && (holdAt_ <= PageSeam::nowhere || holdAt_ > end_)) {
        holdAt_ = end_;
    }
}

// A step is explained when the weights it started from were kept: always where it is held.
int PageSession::show(const NeuroNet::StepRecord& r, Showing how) {
    StepView view = viewOf(r);
    const bool explained = beforeStep_ == r.step;
    const std::string texts =
        StepTexts::of(r, explained ? std::span<const Matrix>(before_) : std::span<const Matrix>(),
                      {net_->inputVector(), D_, eta_, alpha_, NeuroNet::slope}, previousE_);
    if (how == Showing::last) {
        frame_.keepLastView(std::move(view));
        return page_hold(r.step, 1, 0, texts.data(), static_cast<int>(texts.size()));
    }
    for (;;) {
        frame_.send(true, &view);
        const int command = page_hold(r.step, r.last ? 1 : 0, how == Showing::held ? 1 : 0,
                                      texts.data(), static_cast<int>(texts.size()));
        if (command != PageSeam::redraw) {
            return command;
        }
    }
}
