#include "transcript/ReportCheck.hpp"

#include <algorithm>
#include <cmath>

#include "transcript/Contract.hpp"
#include "transcript/StreamedNumber.hpp"

namespace {

double square(double x) {
    return x * x;
}

// Whether an error the program computed exactly can be the one reported, given the last
// step's output and the target with the three decimals the transcript shows. Each
// figure may be off by half a thousandth, and by what reading it back rounded (for a
// huge target, half its last place); the margin of 1e-5 takes in the six digits of the
// report's error and the rounding of the sums. Out of range or not a number, the sums
// tell so too.
bool agreesWithFigures(double reported, const Transcript::Step& last,
                       const std::vector<double>& target) {
    double low = 0.0;
    double high = 0.0;
    for (std::size_t m = 0; m < target.size(); ++m) {
        const double difference = std::fabs(last.output[m] - target[m]);
        const double uncertainty = 0.001 * (1 + 1e-9) + std::fabs(target[m]) * 0x1p-52;
        low += square(std::max(0.0, difference - uncertainty) * (1 - 1e-5));
        high += square((difference + uncertainty) * (1 + 1e-5));
    }
    if (std::isnan(high)) {
        return std::isnan(reported);
    }
    return low <= reported && reported <= high;
}

}  // namespace

// A line saying why training stopped comes when E is above the limit or not a number, and
// only then; an E printed as the limit may lie on either side of it.
std::string ReportCheck::disagreement(const Transcript& run, double reportedError) {
    const std::string limit = StreamedNumber::text(Contract::errorLimit);
    const bool stoppedEarly = !run.stopReason.empty();
    if (!stoppedEarly && !(reportedError <= Contract::errorLimit)) {
        return "an error within the limit " + limit + ", as no line said training stopped";
    }
    if (stoppedEarly && reportedError < Contract::errorLimit) {
        return "an error above the limit " + limit + ", as a line said training stopped";
    }
    if (!agreesWithFigures(reportedError, run.steps.back(), run.target)) {
        return "the error of the last step's output, as its figures give it";
    }
    return {};
}
