#include "plot/Picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using Point = SvgWriter::Point;
using Anchor = SvgWriter::Anchor;

const std::vector<std::string> palette = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                          "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22"};
const std::string grey = "#666666";

std::string formatted(double value, const char* format = "%g") {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string plural(std::int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// A plotting area and the ranges of data it shows; a logarithmic chart's y range is in
// powers of ten. Values beyond the range are drawn on its edge.
struct Chart {
    double left, top, right, bottom;
    double xMin, xMax, yMin, yMax;
    bool logarithmic = false;

    double x(double value) const {
        return left + (right - left) * (xMax > xMin ? (value - xMin) / (xMax - xMin) : 0.5);
    }
    double y(double value) const {
        const double v = logarithmic ? std::log10(value) : value;
        const double share = std::isnan(v) ? 0.0 : std::clamp((v - yMin) / (yMax - yMin), 0.0, 1.0);
        return bottom - (bottom - top) * share;
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
        values.push_back(k * step + 0.0);  // no -0
    }
    return values;
}

// The frame, the grid and the labelled ticks of a chart.
void drawAxes(SvgWriter& svg, const Chart& chart, const std::vector<double>& yTicks,
              const std::string& yName) {
    const SvgWriter::Stroke grid{"#dddddd", 1.0};
    for (const double step : ticks(chart.xMin, chart.xMax, 6)) {
        if (step >= chart.xMin && step == std::floor(step)) {
            svg.line({chart.x(step), chart.top}, {chart.x(step), chart.bottom}, grid);
            svg.text({chart.x(step), chart.bottom + 18}, formatted(step), 12, Anchor::middle, grey);
        }
    }
    for (const double value : yTicks) {
        const double at = chart.y(chart.logarithmic ? std::pow(10.0, value) : value);
        svg.line({chart.left, at}, {chart.right, at}, grid);
        svg.text({chart.left - 8, at + 4},
                 formatted(chart.logarithmic ? std::pow(10.0, value) : value), 12, Anchor::end,
                 grey);
    }
    svg.rectangle({chart.left, chart.top}, chart.right - chart.left, chart.bottom - chart.top,
                  "none", {"#999999", 1.0});
    svg.text({(chart.left + chart.right) / 2, chart.bottom + 38}, "training step", 13,
             Anchor::middle, grey);
    svg.text({chart.left - 70, chart.top - 10}, yName, 13, Anchor::start, grey);
}

// The text in lines of at most `width` characters, broken at spaces.
// Where the steps of the run lie on a chart: one step stands in the middle.
std::pair<double, double> stepRange(std::int64_t steps) {
    return steps > 1 ? std::pair(1.0, static_cast<double>(steps)) : std::pair(0.5, 1.5);
}

// A short run's steps are marked, so that a lone step shows.
void markSteps(SvgWriter& svg, const std::vector<Point>& points, const std::string& colour) {
    if (points.size() <= 30) {
        for (const Point& point : points) {
            svg.circle(point, 3.5, colour, {colour});
        }
    }
}

std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
    std::vector<std::string> lines(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(start, end - start);
        if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width) {
            lines.emplace_back();
        }
        lines.back() += (lines.back().empty() ? "" : " ") + word;
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string Picture::layerSizes() const {
    std::string sizes;
    for (const auto size : run_.layerSizes) {
        sizes += (sizes.empty() ? "" : "-") + std::to_string(size);
    }
    return sizes;
}

void Picture::write(std::ostream& out) const {
    SvgWriter svg(
        out, width, height,
        "neuronet: a " + layerSizes() + " network trained for " + plural(run_.stepCount, "step"));
    drawNetwork(svg);
    drawErrors(svg);
    drawOutputs(svg);
}

// Five columns of neurons; every connection's width and shade show its initial weight.
void Picture::drawNetwork(SvgWriter& svg) const {
    svg.text({24, 34}, "1. The network: " + layerSizes() + " neurons, with its initial weights", 18,
             Anchor::start, "black", true);
    const auto column = [](std::size_t layer) {
        return 150.0 + 165.0 * static_cast<double>(layer);
    };
    const auto row = [&](std::size_t layer, std::size_t neuron) {
        const double count = run_.layerSizes[layer];
        const double spacing = std::min(34.0, 270.0 / count);
        return 215.0 + (static_cast<double>(neuron) - (count - 1) / 2) * spacing;
    };
    svg.beginGroup("connections", "width and shade: the initial weight");
    for (std::size_t g = 0; g < run_.weights.size(); ++g) {
        for (std::size_t i = 0; i < run_.weights[g].size(); ++i) {
            for (std::size_t j = 0; j < run_.weights[g][i].size(); ++j) {
                const double w = std::clamp(run_.weights[g][i][j], 0.0, 1.0);
                svg.line({column(g), row(g, i)}, {column(g + 1), row(g + 1, j)},
                         {"#2f5f9f", 0.4 + 3.2 * w, 0.15 + 0.75 * w});
            }
        }
    }
    svg.endGroup();
    for (std::size_t layer = 0; layer < run_.layerSizes.size(); ++layer) {
        const auto count = run_.layerSizes[layer];
        const bool output = layer + 1 == run_.layerSizes.size();
        const std::string name = layer == 0 ? "input"
                                 : output   ? "output"
                                            : "layer " + std::to_string(layer);
        svg.beginGroup("layer", name);
        if (count == 0) {
            svg.rectangle({column(layer) - 24, 85}, 48, 260, "none", {grey, 1.5, 1.0, "6 4"});
            svg.text({column(layer), 220}, "empty", 12, Anchor::middle, grey);
        }
        for (std::int32_t k = 0; k < count; ++k) {
            const Point centre{column(layer), row(layer, static_cast<std::size_t>(k))};
            svg.circle(centre, 10,
                       layer == 0 ? "#e8e8e8"
                       : output   ? "#cdeccd"
                                  : "#dbe7f5",
                       {"#333333", 1.2});
            if (layer == 0) {
                svg.text({centre.x - 18, centre.y + 4},
                         formatted(run_.input[static_cast<std::size_t>(k)]), 12, Anchor::end);
            }
        }
        svg.text({column(layer), 372}, name, 14, Anchor::middle, "black", true);
        svg.text({column(layer), 390}, count == 0 ? "no neurons" : plural(count, "neuron"), 12,
                 Anchor::middle, grey);
        svg.endGroup();
    }
    svg.line({560, 412}, {600, 412}, {"#2f5f9f", 0.4 + 3.2 * 0.01, 0.15 + 0.75 * 0.01});
    svg.text({606, 416}, "weight 0.01", 12, Anchor::start, grey);
    svg.line({700, 412}, {740, 412}, {"#2f5f9f", 0.4 + 3.2 * 0.99, 0.15 + 0.75 * 0.99});
    svg.text({746, 416}, "weight 0.99", 12, Anchor::start, grey);
    svg.text({24, 416}, "Each line joins two neurons; its width and shade show its weight.", 12,
             Anchor::start, grey);
}

// The summed squared error of every step on a logarithmic axis, with the limit 0.2 and
// the step where training ended.
void Picture::drawErrors(SvgWriter& svg) const {
    const double top = 440;
    const double limit = 0.2;
    svg.text({24, top + 34}, "2. The error at every step", 18, Anchor::start, "black", true);
    svg.text({24, top + 54},
             "Summed squared difference of each step's output from the target, computed from "
             "the transcript's three-decimal figures.",
             12, Anchor::start, grey);
    std::vector<double> errors;
    for (const auto& step : run_.steps) {
        double error = 0.0;
        for (std::size_t m = 0; m < step.output.size(); ++m) {
            error += (step.output[m] - run_.target[m]) * (step.output[m] - run_.target[m]);
        }
        errors.push_back(error);
    }
    double smallest = limit, largest = limit;
    for (const double error : errors) {
        if (error > 0 && std::isfinite(error)) {
            smallest = std::min(smallest, error);
            largest = std::max(largest, error);
        }
    }
    const auto lastStep = static_cast<double>(run_.stepCount);
    const auto [first, last] = stepRange(run_.stepCount);
    Chart chart{90,
                top + 90,
                720,
                top + 300,
                first,
                last,
                std::floor(std::log10(smallest)),
                std::ceil(std::log10(largest)),
                true};
    if (chart.yMax - chart.yMin < 1) {
        chart.yMax = chart.yMin + 1;
    }
    std::vector<double> decades;
    for (double k = chart.yMin; k <= chart.yMax; k += std::ceil((chart.yMax - chart.yMin) / 8)) {
        decades.push_back(k);
    }
    drawAxes(svg, chart, decades, "error (log scale)");
    svg.line({chart.left, chart.y(limit)}, {chart.right, chart.y(limit)},
             {"#c62828", 1.5, 1.0, "8 5"});
    svg.text({chart.right + 8, chart.y(limit) + 4}, "limit 0.2", 12, Anchor::start, "#c62828");

    svg.beginGroup("errors", "error per step");
    std::vector<Point> points;
    for (std::size_t k = 0; k < errors.size(); ++k) {
        points.push_back({chart.x(static_cast<double>(run_.steps[k].number)),
                          chart.y(errors[k] > 0 ? errors[k] : std::pow(10.0, chart.yMin))});
    }
    svg.polyline(points, {"#1f3f7f", 2.0});
    markSteps(svg, points, "#1f3f7f");
    svg.endGroup();

    const bool met = run_.stopReason.empty();
    const std::string colour = met ? "#2e7d32" : "#c62828";
    svg.line({chart.x(lastStep), chart.top}, {chart.x(lastStep), chart.bottom},
             {colour, 1.5, 1.0, "3 3"});
    svg.text({chart.x(lastStep), chart.top - 6},
             (met ? "met the limit at step " : "stopped at step ") + std::to_string(run_.stepCount),
             12, lastStep > 1 ? Anchor::end : Anchor::middle, colour, true);
    const std::string summary =
        run_.stepCount == 1
            ? "The error of the one step was " + formatted(errors.front(), "%.4g") + "."
            : "The error was " + formatted(errors.front(), "%.4g") + " at step 1 and " +
                  formatted(errors.back(), "%.4g") + " at step " + std::to_string(run_.stepCount) +
                  ".";
    svg.text({24, chart.bottom + 60}, summary, 12, Anchor::start, grey);
    double y = chart.bottom + 76;
    for (const auto& line :
         met ? std::vector<std::string>{} : wrapped("Training stopped: " + run_.stopReason, 120)) {
        svg.text({24, y}, line, 12, Anchor::start, colour);
        y += 15;
    }
}

// Every output element's value at every step, with its target as a dashed level in the
// same colour.
void Picture::drawOutputs(SvgWriter& svg) const {
    const double top = 860;
    svg.text({24, top + 34}, "3. The outputs at every step, and their targets (dashed)", 18,
             Anchor::start, "black", true);
    if (run_.target.empty()) {
        svg.text({24, top + 80}, "The output layer has no neurons: there is nothing to draw.", 14,
                 Anchor::start, grey);
        return;
    }
    // Every output lies from 0.11 to 1.11; targets far beyond are drawn on the edge.
    double lo = 0.11, hi = 1.11;
    for (const double d : run_.target) {
        lo = std::min(lo, std::max(d, -1.0));
        hi = std::max(hi, std::min(d, 2.2));
    }
    const auto [first, last] = stepRange(run_.stepCount);
    Chart chart{90, top + 70, 720, top + 300, first, last, lo - 0.05, hi + 0.05};
    drawAxes(svg, chart, ticks(chart.yMin, chart.yMax, 6), "output");
    for (std::size_t m = 0; m < run_.target.size(); ++m) {
        const std::string& colour = palette[m % palette.size()];
        const double d = run_.target[m];
        svg.beginGroup("output", "output " + std::to_string(m + 1));
        std::vector<Point> points;
        for (const auto& step : run_.steps) {
            points.push_back({chart.x(static_cast<double>(step.number)), chart.y(step.output[m])});
        }
        svg.polyline(points, {colour, 2.0});
        markSteps(svg, points, colour);
        svg.line({chart.left, chart.y(d)}, {chart.right, chart.y(d)}, {colour, 1.5, 0.9, "7 5"});
        const char* beyond = d > chart.yMax   ? " (above the chart)"
                             : d < chart.yMin ? " (below the chart)"
                                              : "";
        svg.text({chart.right + 12, chart.top + 12 + 16.0 * static_cast<double>(m)},
                 "output " + std::to_string(m + 1) + ": target " + formatted(d) + beyond, 12,
                 Anchor::start, colour);
        svg.endGroup();
    }
}
