#include "transcript/StopReason.hpp"

#include <sstream>

#include "transcript/Contract.hpp"
#include "transcript/StreamedNumber.hpp"

std::string StopReason::words() const {
    std::ostringstream out;
    const auto number = [&out](double value) { StreamedNumber::write(out, value); };
    switch (kind) {
        case Kind::none:
            break;
        case Kind::notANumber:
            out << "the error is not a number";
            break;
        case Kind::outOfReach:
            out << "the target is out of reach: every output lies between ";
            number(Contract::lowestOutput);
            out << " and ";
            number(Contract::highestOutput);
            out << ", so the error cannot fall below ";
            number(smallestError);
            out << " (limit ";
            number(limit);
            out << ")";
            break;
        case Kind::unchanged:
            out << "the step changed no weight, so every further step would repeat the error ";
            number(error);
            out << " (limit ";
            number(limit);
            out << ")";
            break;
        case Kind::stepLimit:
            out << "the limit ";
            number(limit);
            out << " was not met in " << steps << " steps; the last error is ";
            number(error);
            break;
    }
    return out.str();
}

std::string_view StopReason::name() const {
    switch (kind) {
        case Kind::none:
            return "none";
        case Kind::notANumber:
            return "not-a-number";
        case Kind::outOfReach:
            return "out-of-reach";
        case Kind::unchanged:
            return "unchanged";
        case Kind::stepLimit:
            return "step-limit";
    }
    return "";
}
