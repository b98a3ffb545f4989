#include "plot/ErrorAxis.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "transcript/Contract.hpp"

namespace {

// The most labels on the axis.
constexpr double labels = 8;
// From one row apart to the next, and from the last to the scale.
constexpr double rowSpacing = 22;
constexpr double rowGap = 34;
constexpr const char* grey = "#666666";

}  // namespace

ErrorAxis::ErrorAxis(const std::vector<double>& errors, double top, double bottom) {
    double smallest = Contract::errorLimit;
    double largest = Contract::errorLimit;
    bool infinite = false;
    bool notANumber = false;
    bool zero = false;
    for (const double error : errors) {
        infinite = infinite || std::isinf(error);
        notANumber = notANumber || std::isnan(error);
        zero = zero || error == 0;
        if (!apart(error)) {
            smallest = std::min(smallest, error);
            largest = std::max(largest, error);
        }
    }
    // Labels on whole multiples of their stride, the top decade among them.
    const double low = std::floor(std::log10(smallest));
    const double high = std::max(std::ceil(std::log10(largest)), low + 1);
    stride_ = std::ceil((high - low) / labels);
    lowDecade_ = std::floor(low / stride_) * stride_;
    highDecade_ = std::ceil(high / stride_) * stride_;

    scaleTop_ = top;
    for (auto [present, row] :
         {std::pair(infinite, &infiniteRow_), std::pair(notANumber, &notANumberRow_)}) {
        if (present) {
            *row = scaleTop_ == top ? top + 14 : scaleTop_ - rowGap + rowSpacing;
            scaleTop_ = **row + rowGap;
        }
    }
    scaleBottom_ = bottom;
    if (zero) {
        zeroRow_ = bottom - 14;
        scaleBottom_ = *zeroRow_ - rowGap;
    }
}

bool ErrorAxis::apart(double error) {
    return !std::isfinite(error) || error == 0;
}

double ErrorAxis::y(double error) const {
    if (std::isnan(error)) {
        return notANumberRow_.value_or(scaleTop_);
    }
    if (std::isinf(error)) {
        return infiniteRow_.value_or(scaleTop_);
    }
    if (error <= 0) {
        return zeroRow_.value_or(scaleBottom_);
    }
    return decadeY(std::log10(error));
}

double ErrorAxis::decadeY(double decade) const {
    const double share = (decade - lowDecade_) / (highDecade_ - lowDecade_);
    return scaleBottom_ - (scaleBottom_ - scaleTop_) * std::clamp(share, 0.0, 1.0);
}

// Every label in one format: "0.001" to "1000000" when all fit it, else "1e-8" to "1e40".
std::string ErrorAxis::decadeLabel(double decade) const {
    char text[32];
    if (lowDecade_ >= -4 && highDecade_ <= 6) {
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(std::max(0.0, -decade)),
                      std::pow(10.0, decade));
    } else {
        std::snprintf(text, sizeof text, "1e%d", static_cast<int>(decade));
    }
    return text;
}

void ErrorAxis::draw(SvgWriter& svg, double left, double right) const {
    svg.beginGroup("error-axis", "the error's scale and the rows apart from it");
    for (double decade = lowDecade_; decade <= highDecade_ + 0.5; decade += stride_) {
        svg.line({left, decadeY(decade)}, {right, decadeY(decade)}, {"#dddddd"});
        svg.text({left - 8, decadeY(decade) + 4}, decadeLabel(decade), 12, SvgWriter::Anchor::end,
                 grey);
    }
    for (const auto& [row, word] :
         {std::pair(infiniteRow_, "\xe2\x88\x9e"), std::pair(notANumberRow_, "not a number"),
          std::pair(zeroRow_, "0")}) {
        if (row) {
            svg.line({left, *row}, {right, *row}, {"#bbbbbb", 1.0, 1.0, "2 3"});
            const bool symbol = std::string_view(word).size() < 4;
            svg.text({left - 8, *row + 4}, word, symbol ? 15 : 12, SvgWriter::Anchor::end, "black",
                     symbol);
            // A break in the axis between the row and the scale.
            const double gap = (*row + (*row < scaleTop_ ? scaleTop_ : scaleBottom_)) / 2;
            for (const double side : {left, right}) {
                svg.line({side - 6, gap + 1}, {side + 6, gap - 5}, {"#999999", 1.5});
                svg.line({side - 6, gap + 6}, {side + 6, gap}, {"#999999", 1.5});
            }
        }
    }
    svg.endGroup();
}
