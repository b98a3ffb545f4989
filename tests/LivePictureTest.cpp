#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "plot/Picture.hpp"
#include "transcript/TranscriptReader.hpp"

namespace {

// Whether an attribute or a point of the picture holds a number that is not finite.
bool holdsNonFinite(const std::string& svg) {
    for (const std::string word : {"nan", "inf"}) {
        for (auto at = svg.find(word); at != svg.npos; at = svg.find(word, at + 1)) {
            const char before = svg[svg.find_last_not_of('-', at - 1)];
            if (before == '"' || before == ',') {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

// A run drawn while its transcript is written, line by line, given its target as typed once the
// network is known (but one run, which learns it from the report): every picture is whole and
// its numbers finite, and the errors drawn as training ends are those drawn of the finished run.
TEST(LivePicture, EveryLineIsDrawnAndTheTypedTargetGivesTheFinalErrors) {
    // The picture of a run, and its error line.
    const auto drawn = [](const Transcript& run) {
        std::ostringstream out;
        Picture(run).write(out);
        const std::string svg = out.str();
        const auto path = svg.find("<path", svg.find("class=\"errors\""));
        return std::pair(svg, svg.substr(std::min(path, svg.size()), svg.find("/>", path) - path));
    };
    for (const std::string name : {"platform-hundreds", "huge-target", "empty-output",
                                   "empty-before-output", "limit-met-exactly"}) {
        std::ifstream in(std::string(TESTS_DIR) + "/transcripts/" + name + ".in");
        std::ifstream out(std::string(TESTS_DIR) + "/transcripts/" + name + ".out");
        const std::vector<double> typed{std::istream_iterator<double>(in), {}};
        TranscriptReader live;
        std::string errorsAsTrainingEnds;
        for (std::string line; std::getline(out, line);) {
            live.line(line);
            if (live.run().networkKnown && !live.run().targetKnown && name != "huge-target") {
                live.setTarget(
                    {typed.end() - static_cast<long>(live.run().outputCount()), typed.end()});
            }
            const auto [svg, errors] = drawn(live.run());
            EXPECT_TRUE(svg.ends_with("</svg>\n") && !holdsNonFinite(svg)) << line;
            if (live.run().trainingOver && live.run().targetKnown && errorsAsTrainingEnds.empty()) {
                errorsAsTrainingEnds = errors;
            }
        }
        live.finish();
        EXPECT_EQ(errorsAsTrainingEnds, drawn(live.run()).second) << name;
    }
}
