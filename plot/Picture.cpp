#include "plot/Picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "plot/ErrorAxis.hpp"
#include "trace/JsonNumber.hpp"
#include "transcript/Contract.hpp"
#include "transcript/StreamedNumber.hpp"

namespace {

using Point = SvgWriter::Point;
using Anchor = SvgWriter::Anchor;

// Constants only: nothing may need memory before main sets what running out of it does.
constexpr std::array<const char*, Contract::widestLayer> palette = {
    "#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22"};
constexpr const char* grey = "#666666";
constexpr const char* errorBlue = "#1f3f7f";
constexpr const char* stoppedRed = "#c62828";
constexpr const char* metGreen = "#2e7d32";
// The step view's colours of a weight's change.
constexpr const char* increaseBlue = "#1565c0";
constexpr const char* decreaseOrange = "#e65100";
constexpr const char* unchangedGrey = "#9e9e9e";
// The size of a weight from which the step view draws its connection at the widest.
constexpr double widestWeight = 10;
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr const char* ellipsis = "\xe2\x80\xa6";

std::string formatted(double value, const char* format) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A number as a label shows it: at most three decimals, as the transcript has, without
// trailing zeros and never "-0"; from a million on, four digits and an exponent.
std::string numberText(double value) {
    if (std::fabs(value) >= 1e6) {
        return formatted(value, "%.4g");
    }
    std::string text = formatted(value, "%.3f");
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

// An error in words where no number says it.
std::string errorText(double error) {
    return std::isnan(error)   ? "not a number"
           : std::isinf(error) ? "infinite"
                               : formatted(error, "%.4g");
}

std::string plural(std::int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// A plotting area and the ranges of data it shows. Values beyond the range are drawn on
// its edge.
struct Chart {
    double left, top, right, bottom;
    double xMin, xMax, yMin, yMax;

    double x(double value) const {
        return left + (right - left) * (xMax > xMin ? (value - xMin) / (xMax - xMin) : 0.5);
    }
    double y(double value) const {
        return bottom - (bottom - top) * std::clamp((value - yMin) / (yMax - yMin), 0.0, 1.0);
    }
};

// About `count` round numbers from lo to hi.
std::vector<double> ticks(double lo, double hi, int count) {
    const double raw = (hi - lo) / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw) {
            step = factor * magnitude;
            break;
        }
    }
    std::vector<double> values;
    for (double k = std::ceil(lo / step); k * step <= hi + step * 1e-9; ++k) {
        values.push_back(k * step);
    }
    return values;
}

// Where the steps of the run lie on a chart: one step stands in the middle.
std::pair<double, double> stepRange(std::int64_t steps) {
    return steps > 1 ? std::pair(1.0, static_cast<double>(steps)) : std::pair(0.5, 1.5);
}

// The frame and the labelled steps of a chart, and its y axis's name.
void drawFrame(SvgWriter& svg, const Chart& chart, const std::string& yName) {
    const SvgWriter::Stroke grid{"#dddddd", 1.0};
    for (const double step : ticks(chart.xMin, chart.xMax, 6)) {
        if (step >= chart.xMin && step == std::floor(step)) {
            svg.line({chart.x(step), chart.top}, {chart.x(step), chart.bottom}, grid);
            svg.text({chart.x(step), chart.bottom + 18}, formatted(step, "%.0f"), 12,
                     Anchor::middle, grey);
        }
    }
    svg.rectangle({chart.left, chart.top}, chart.right - chart.left, chart.bottom - chart.top,
                  "none", {"#999999", 1.0});
    svg.text({(chart.left + chart.right) / 2, chart.bottom + 38}, "training step", 13,
             Anchor::middle, grey);
    svg.text({chart.left - 70, chart.top - 10}, yName, 13, Anchor::start, grey);
}

// A short run's steps are marked, so that a lone step shows.
void markSteps(SvgWriter& svg, const std::vector<Point>& points, const std::string& colour) {
    if (points.size() <= 30) {
        for (const Point& point : points) {
            if (!std::isnan(point.y)) {
                svg.circle(point, 3.5, colour, {colour});
            }
        }
    }
}

// The text in at most `most` lines of at most `width` characters, broken at spaces
// where it can be; a longer text ends in an ellipsis.
std::vector<std::string> wrapped(std::string_view text, std::size_t width, std::size_t most) {
    std::vector<std::string> lines;
    while (!text.empty() && lines.size() < most) {
        std::size_t end = std::min(width, text.size());
        const auto space = text.substr(0, width + 1).rfind(' ');
        if (text.size() > width && space != text.npos && space > 0) {
            end = space;
        }
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(text.size(), end + (end < text.size() && text[end] == ' ')));
    }
    if (!text.empty()) {
        lines.back() = lines.back().substr(0, width - 1) + ellipsis;
    }
    return lines;
}

// A note in place of a chart that has nothing to show yet.
void note(SvgWriter& svg, double y, const std::string& text) {
    svg.text({24, y}, text, 14, Anchor::start, grey);
}

double columnX(std::size_t layer) {
    return 150.0 + 165.0 * static_cast<double>(layer);
}

// A legend's sample line, with its label after it.
void sample(SvgWriter& svg, Point at, const SvgWriter::Stroke& stroke, const std::string& label) {
    svg.line(at, {at.x + 40, at.y}, stroke);
    svg.text({at.x + 46, at.y + 4}, label, 12, Anchor::start, grey);
}

// An initial weight, from 0.01 to 0.99, as its line's width and shade.
SvgWriter::Stroke initialStroke(double weight) {
    return SvgWriter::Stroke{"#2f5f9f", 0.4 + 3.2 * weight, 0.15 + 0.75 * weight};
}

// A weight after a step as its line's width: the square root of its size, so that weights
// near 1 and near 10 both stay apart, up to the widest drawn, for a size of 10 or more; one that
// is not a number is drawn at the widest.
double stepWidth(double weight) {
    const double size = std::fabs(weight);
    return 0.4 + 3.2 * std::sqrt((size < widestWeight ? size : widestWeight) / widestWeight);
}

// A step's change as its line's colour, by its sign, and shade, by its share of the step's
// largest change; an infinite change, or one that is not a number, at the darkest.
SvgWriter::Stroke stepStroke(double weight, double change, double largest) {
    const double size = std::fabs(change);
    const double share = !std::isfinite(size) ? 1.0
                         : largest > 0        ? std::min(size / largest, 1.0)
                                              : 0.0;
    const char* colour = change > 0 ? increaseBlue : change < 0 ? decreaseOrange : unchangedGrey;
    return {colour, stepWidth(weight), 0.2 + 0.8 * share};
}

// The change of weight [g][i][j] in the view, or 0 where it has none.
double changeAt(const StepView& view, std::size_t g, std::size_t i, std::size_t j) {
    const auto& changes = view.changes;
    return g < changes.size() && i < changes[g].size() && j < changes[g][i].size()
               ? changes[g][i][j]
               : 0.0;
}

// The largest finite size among the changes, or 0.
double largestChange(const std::vector<std::vector<std::vector<double>>>& changes) {
    double largest = 0;
    for (const auto& matrix : changes) {
        for (const auto& row : matrix) {
            for (const double change : row) {
                if (std::isfinite(change)) {
                    largest = std::max(largest, std::fabs(change));
                }
            }
        }
    }
    return largest;
}

}  // namespace

Picture::Picture(const Transcript& run, const StepView* step, double leastTextSize)
    : run_(run), step_(step), leastTextSize_(leastTextSize) {
    if (step_) {
        largestChange_ = largestChange(step_->changes);
    }
    if (!run_.targetKnown) {
        return;
    }
    for (const auto& step : run_.steps) {
        double error = 0.0;
        for (std::size_t m = 0; m < run_.target.size(); ++m) {
            const double difference = step.output[m] - run_.target[m];
            error += difference * difference;
        }
        errors_.push_back(error);
    }
}

std::string Picture::layerSizes() const {
    std::string sizes;
    for (const auto size : run_.layerSizes) {
        sizes += (sizes.empty() ? "" : "-") + std::to_string(size);
    }
    return sizes;
}

std::string Picture::title() const {
    if (!run_.networkKnown) {
        return "neuronet: a run whose network is not known yet";
    }
    if (step_) {
        return "neuronet: a " + layerSizes() + " network at step " + std::to_string(step_->step);
    }
    return "neuronet: a " + layerSizes() + " network " +
           (run_.trainingOver ? "trained for " + plural(run_.stepCount, "step")
                              : plural(run_.stepCount, "step") + " into training");
}

void Picture::write(std::ostream& out) const {
    SvgWriter svg(out, width, height, title());
    svg.setLeastTextSize(leastTextSize_);
    drawNetwork(svg);
    drawErrors(svg);
    drawOutputs(svg);
}

// Five columns of neurons, and the connections between them.
void Picture::drawNetwork(SvgWriter& svg) const {
    if (!run_.networkKnown) {
        svg.text({24, 34}, "1. The network", 18, Anchor::start, "black", true);
        note(svg, 80, "The network is not known yet.");
        return;
    }
    const std::string heading =
        step_ ? "1. The network at step " + std::to_string(step_->step) + ": " + layerSizes() +
                    " neurons, with its weights after the step"
              : "1. The network: " + layerSizes() + " neurons, with its initial weights";
    svg.text({24, 34}, heading, 18, Anchor::start, "black", true);
    if (step_) {
        drawStepConnections(svg);
        drawNeurons(svg);
        drawStepLegend(svg);
    } else {
        drawInitialConnections(svg);
        drawNeurons(svg);
        drawInitialLegend(svg);
    }
}

SvgWriter::Point Picture::neuronCentre(const std::vector<std::int32_t>& layerSizes,
                                       std::size_t layer, std::size_t neuron) {
    const double count = layerSizes[layer];
    const double spacing = std::min(34.0, 270.0 / count);
    return {columnX(layer), 215.0 + (static_cast<double>(neuron) - (count - 1) / 2) * spacing};
}

// Every connection's width and shade show its initial weight.
void Picture::drawInitialConnections(SvgWriter& svg) const {
    svg.beginGroup("connections", "width and shade: the initial weight");
    for (std::size_t g = 0; g < run_.weights.size(); ++g) {
        for (std::size_t i = 0; i < run_.weights[g].size(); ++i) {
            for (std::size_t j = 0; j < run_.weights[g][i].size(); ++j) {
                svg.line(neuronCentre(run_.layerSizes, g, i),
                         neuronCentre(run_.layerSizes, g + 1, j),
                         initialStroke(run_.weights[g][i][j]));
            }
        }
    }
    svg.endGroup();
}

// Every connection's width shows its weight after the step, its colour and shade the step's
// change of it.
void Picture::drawStepConnections(SvgWriter& svg) const {
    svg.beginGroup("connections", "width: the weight after step " + std::to_string(step_->step) +
                                      "; colour and shade: its change in the step");
    const std::size_t matrices = std::min(step_->weights.size(), run_.layerSizes.size() - 1);
    for (std::size_t g = 0; g < matrices; ++g) {
        for (std::size_t i = 0; i < step_->weights[g].size(); ++i) {
            for (std::size_t j = 0; j < step_->weights[g][i].size(); ++j) {
                svg.line(
                    neuronCentre(run_.layerSizes, g, i), neuronCentre(run_.layerSizes, g + 1, j),
                    stepStroke(step_->weights[g][i][j], changeAt(*step_, g, i, j), largestChange_));
            }
        }
    }
    svg.endGroup();
}

void Picture::drawNeurons(SvgWriter& svg) const {
    for (std::size_t layer = 0; layer < run_.layerSizes.size(); ++layer) {
        const auto count = run_.layerSizes[layer];
        const bool output = layer + 1 == run_.layerSizes.size();
        const std::string name = layer == 0 ? "input"
                                 : output   ? "output"
                                            : "layer " + std::to_string(layer);
        svg.beginGroup("layer", name);
        if (count == 0) {
            svg.rectangle({columnX(layer) - 24, 85}, 48, 260, "none", {grey, 1.5, 1.0, "6 4"});
            svg.text({columnX(layer), 220}, "empty", 12, Anchor::middle, grey);
        }
        for (std::int32_t k = 0; k < count; ++k) {
            const Point centre = neuronCentre(run_.layerSizes, layer, static_cast<std::size_t>(k));
            svg.circle(centre, 10,
                       layer == 0 ? "#e8e8e8"
                       : output   ? "#cdeccd"
                                  : "#dbe7f5",
                       {"#333333", 1.2});
            if (layer == 0) {
                svg.text({centre.x - 18, centre.y + 4},
                         numberText(run_.input[static_cast<std::size_t>(k)]), 12, Anchor::end);
            }
        }
        svg.text({columnX(layer), 372}, name, 14, Anchor::middle, "black", true);
        svg.text({columnX(layer), 390}, count == 0 ? "no neurons" : plural(count, "neuron"), 12,
                 Anchor::middle, grey);
        svg.endGroup();
    }
}

void Picture::drawInitialLegend(SvgWriter& svg) const {
    for (const auto& [x, weight] :
         {std::pair(560.0, Contract::lowestWeight), std::pair(700.0, Contract::highestWeight)}) {
        sample(svg, {x, 412}, initialStroke(weight), "weight " + StreamedNumber::text(weight));
    }
    svg.text({24, 416}, "Each line joins two neurons; its width and shade show its weight.", 12,
             Anchor::start, grey);
}

void Picture::drawStepLegend(SvgWriter& svg) const {
    sample(svg, {560, 412}, {unchangedGrey, stepWidth(1)}, "size 1");
    sample(svg, {700, 412}, {unchangedGrey, stepWidth(widestWeight)},
           "size " + numberText(widestWeight) + " or more");
    sample(svg, {560, 430}, {increaseBlue, stepWidth(1)}, "increased");
    sample(svg, {680, 430}, {decreaseOrange, stepWidth(1)}, "decreased");
    sample(svg, {800, 430}, {unchangedGrey, stepWidth(1)}, "unchanged");
    svg.text({24, 416}, "Each line joins two neurons; its width grows with its weight's size,", 12,
             Anchor::start, grey);
    svg.text({24, 434},
             "its colour, its change in step " + std::to_string(step_->step) +
                 ": darkest for the largest, " + formatted(largestChange_, "%.3g") + ".",
             12, Anchor::start, grey);
}

// The summed squared error of every step on a logarithmic axis, with the limit 0.2 and
// the step where training ended.
void Picture::drawErrors(SvgWriter& svg) const {
    const double top = 440;
    svg.text({24, top + 34}, "2. The error at every step", 18, Anchor::start, "black", true);
    if (run_.steps.empty()) {
        return note(svg, top + 80, "No training step yet.");
    }
    if (!run_.targetKnown) {
        return note(svg, top + 80, "The target is not known yet.");
    }
    svg.text({24, top + 54},
             "Summed squared difference of each step's output from the target, computed from "
             "the transcript's three-decimal figures.",
             12, Anchor::start, grey);
    const auto [first, last] = stepRange(run_.stepCount);
    const Chart chart{100, top + 95, 720, top + 325, first, last, 0, 1};
    const ErrorAxis axis(errors_, chart.top, chart.bottom);
    axis.draw(svg, chart.left, chart.right);
    drawFrame(svg, chart, "error (log scale)");
    const std::string limitText = "limit " + StreamedNumber::text(Contract::errorLimit);
    svg.beginGroup("limit", "the " + limitText);
    const double limit = axis.y(Contract::errorLimit);
    svg.line({chart.left, limit}, {chart.right, limit}, {stoppedRed, 1.5, 1.0, "8 5"});
    svg.text({chart.right + 8, limit + 4}, limitText, 12, Anchor::start, stoppedRed);
    svg.endGroup();

    svg.beginGroup("errors", "error per step");
    std::vector<Point> points;
    std::vector<Point> apart;
    for (std::size_t k = 0; k < errors_.size(); ++k) {
        const Point point{chart.x(static_cast<double>(run_.steps[k].number)), axis.y(errors_[k])};
        // The line joins only errors on the scale; one apart is marked on its row.
        points.push_back(ErrorAxis::apart(errors_[k]) ? Point{point.x, notANumber} : point);
        if (ErrorAxis::apart(errors_[k])) {
            apart.push_back(point);
        }
    }
    svg.path(points, {errorBlue, 2.0});
    markSteps(svg, points, errorBlue);
    for (const Point& point : apart) {
        svg.circle(point, 4.5, "white", {errorBlue, 2.0});
    }
    svg.endGroup();
    if (step_ && step_->E) {
        const double x = chart.x(static_cast<double>(step_->step));
        markStepError(svg, x, axis.y(*step_->E), !ErrorAxis::apart(*step_->E));
    }

    const bool met = run_.trainingOver && run_.stopReason.empty();
    const std::string colour = !run_.trainingOver ? grey : met ? metGreen : stoppedRed;
    const double lastX = chart.x(static_cast<double>(run_.stepCount));
    svg.line({lastX, chart.top}, {lastX, chart.bottom}, {colour, 1.5, 1.0, "3 3"});
    svg.text({lastX, chart.top - 8},
             (!run_.trainingOver ? "step " + std::to_string(run_.stepCount) + " so far"
              : met              ? "met the limit at step " + std::to_string(run_.stepCount)
                                 : "stopped at step " + std::to_string(run_.stepCount)),
             12, run_.stepCount > 1 ? Anchor::end : Anchor::middle, colour, true);
    summarizeErrors(svg, chart.bottom + 62, colour);
}

// Beside the figures' error, which the chart draws, the program's own at the step shown.
void Picture::markStepError(SvgWriter& svg, double x, double y, bool onScale) const {
    char exact[JsonNumber::longest];
    std::string text(exact, JsonNumber::write(*step_->E, exact));
    if (text.starts_with('"')) {
        text = text.substr(1, text.size() - 2);  // NaN or an infinity, quoted in a trace
    }
    svg.beginGroup("step-error", "the program's error at step " + std::to_string(step_->step));
    if (onScale) {
        svg.circle({x, y}, 6, "none", {"black", 2.0});
    }
    svg.text({24, 440 + 72},
             "Circled: step " + std::to_string(step_->step) + ", where the program's own E is " +
                 text + ", to the last digit.",
             12, Anchor::start, "black", true);
    svg.endGroup();
}

void Picture::summarizeErrors(SvgWriter& svg, double top, const std::string& colour) const {
    const std::string steps = std::to_string(run_.stepCount);
    std::string summary;
    if (!run_.reportedError.empty()) {
        const double reported = std::strtod(run_.reportedError.c_str(), nullptr);
        // A zero from the figures stands for an error below their last decimal.
        const std::string last =
            (std::isnan(reported) || std::isinf(reported) ? errorText(reported)
                                                          : run_.reportedError) +
            (errors_.back() == 0 && reported > 0 ? " (0 from its three-decimal figures)" : "");
        summary = run_.stepCount == 1
                      ? "The report gives the error of the one step as " + last + "."
                      : "The error was " + errorText(errors_.front()) +
                            " at step 1; the report gives the last, at step " + steps + ", as " +
                            last + ".";
    } else {
        summary =
            "The error was " + errorText(errors_.front()) + " at step 1" +
            (run_.stepCount == 1 ? "."
                                 : " and " + errorText(errors_.back()) + " at step " + steps + ".");
    }
    svg.text({24, top}, summary, 12, Anchor::start, grey);
    if (!run_.stopReason.empty()) {
        svg.beginGroup("stop-reason", "why training stopped");
        double y = top + 18;
        for (const auto& line : wrapped("Training stopped: " + run_.stopReason, 118, 4)) {
            svg.text({24, y}, line, 12, Anchor::start, colour);
            y += 15;
        }
        svg.endGroup();
    }
}

// Every output element's value at every step, with its target as a dashed level in the
// same colour, or, beyond the chart, an arrow on its edge.
void Picture::drawOutputs(SvgWriter& svg) const {
    const double top = 900;
    svg.text({24, top + 34}, "3. The outputs at every step, and their targets (dashed)", 18,
             Anchor::start, "black", true);
    if (!run_.networkKnown || run_.steps.empty()) {
        return note(svg, top + 80, "No training step yet.");
    }
    if (run_.outputCount() == 0) {
        return note(svg, top + 80, "The output layer has no neurons: there is nothing to draw.");
    }
    // Every output lies in the outputs' range; targets far beyond are shown on the edge.
    double low = Contract::lowestOutput;
    double high = Contract::highestOutput;
    for (const double d : run_.target) {
        low = std::min(low, std::max(d, -1.0));
        high = std::max(high, std::min(d, 2.2));
    }
    const auto [first, last] = stepRange(run_.stepCount);
    const Chart chart{100, top + 70, 720, top + 250, first, last, low - 0.05, high + 0.05};
    for (const double value : ticks(chart.yMin, chart.yMax, 6)) {
        svg.line({chart.left, chart.y(value)}, {chart.right, chart.y(value)}, {"#dddddd"});
        svg.text({chart.left - 8, chart.y(value) + 4}, numberText(value), 12, Anchor::end, grey);
    }
    drawFrame(svg, chart, "output");
    std::size_t above = 0;
    std::size_t below = 0;
    for (std::size_t m = 0; m < run_.outputCount(); ++m) {
        const std::string colour = palette[m];
        svg.beginGroup("output", "output " + std::to_string(m + 1));
        std::vector<Point> points;
        for (const auto& step : run_.steps) {
            points.push_back({chart.x(static_cast<double>(step.number)),
                              std::isnan(step.output[m]) ? notANumber : chart.y(step.output[m])});
        }
        svg.path(points, {colour, 2.0});
        markSteps(svg, points, colour);
        if (run_.targetKnown) {
            const double d = run_.target[m];
            if (d > chart.yMax || d < chart.yMin) {
                const double shift =
                    10.0 + 12.0 * static_cast<double>(d > chart.yMax ? above++ : below++);
                svg.text({chart.right - shift, d > chart.yMax ? chart.top + 14 : chart.bottom - 5},
                         d > chart.yMax ? "\xe2\x96\xb2" : "\xe2\x96\xbc", 12, Anchor::middle,
                         colour);
            } else {
                svg.line({chart.left, chart.y(d)}, {chart.right, chart.y(d)},
                         {colour, 1.5, 0.9, "7 5"});
            }
        }
        svg.endGroup();
    }
    drawOutputLegend(svg, chart.bottom + 62, chart.yMin, chart.yMax);
}

// One entry per output, below the chart.
void Picture::drawOutputLegend(SvgWriter& svg, double top, double low, double high) const {
    svg.beginGroup("legend", "every output and its target");
    for (std::size_t m = 0; m < run_.outputCount(); ++m) {
        std::string entry = "output " + std::to_string(m + 1);
        if (run_.targetKnown) {
            const double d = run_.target[m];
            entry += ": target " + numberText(d) +
                     (d > high  ? " (above the chart)"
                      : d < low ? " (below the chart)"
                                : "");
        }
        if (std::any_of(run_.steps.begin(), run_.steps.end(),
                        [m](const auto& step) { return std::isnan(step.output[m]); })) {
            entry += ", not a number at some steps";
        }
        svg.text({24, top + 15.0 * static_cast<double>(m)}, entry, 12, Anchor::start, palette[m]);
    }
    svg.endGroup();
}
