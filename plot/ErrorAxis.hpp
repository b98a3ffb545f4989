#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/SvgWriter.hpp"

// The error axis of the picture: powers of ten on a logarithmic scale that takes in every
// error of the run and the limit 0.2, labelled in one format up to its top decade. What no
// logarithmic scale can show is drawn apart, on a row of its own at the axis's edge, when
// the run has it: an infinite error and one that is not a number at the top, zero at the
// bottom.
class ErrorAxis {
  public:
    ErrorAxis(const std::vector<double>& errors, double top, double bottom);

    // Where an error is drawn: on the scale, or on its row apart. Finite for any error.
    double y(double error) const;
    // Whether the error is drawn on a row apart.
    static bool apart(double error);
    // The grid and the labels, from `left` to `right`.
    void draw(SvgWriter& svg, double left, double right) const;

  private:
    double decadeY(double decade) const;
    std::string decadeLabel(double decade) const;

    double lowDecade_ = 0;
    double highDecade_ = 0;
    // The decades from one label to the next.
    double stride_ = 1;
    double scaleTop_ = 0;
    double scaleBottom_ = 0;
    std::optional<double> infiniteRow_;
    std::optional<double> notANumberRow_;
    std::optional<double> zeroRow_;
};
