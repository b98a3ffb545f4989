#include "app/Dialogue.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "ConsoleRun.hpp"
#include "DialogueRun.hpp"
#include "Structure.hpp"

namespace {

const std::string rule = "-------------------------------------------------";

TEST(Console, TranscriptIsTheDialoguesWithTheUnseededGenerator) {
    const ConsoleRun run("1 2 3 0.5 0.5 0.5\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, DialogueRun("1 2 3 0.5 0.5 0.5\n").out);
}

TEST(Console, TranscriptHasEveryPartInOrder) {
    const ConsoleRun run("1 2 3 0.5 0.5 0.5\n");
    ASSERT_EQ(run.status, 0);
    const std::string& t = run.out;
    EXPECT_EQ(t.rfind("Enter vector [0] element: Enter vector [1] element: "
                      "Enter vector [2] element: 1.000 2.000 3.000 \nNN have 5 layers.\n",
                      0),
              0u);
    std::size_t blocks = 0;
    for (auto at = t.find("Matrix is:\n"); at != std::string::npos;
         at = t.find("Matrix is:\n", at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, 4u);
    const auto enter = t.find("\nEnter D vector: Enter vector [0] element: ");
    ASSERT_NE(enter, std::string::npos);
    const auto lastForward = t.rfind("Propagate is: ", enter);
    // The report's first step is the forward pass made before the target was asked for.
    EXPECT_EQ("\tFirst step is: " + t.substr(lastForward + 14, enter - lastForward - 14),
              "\tFirst step is: " + lineAfter(t, "\tFirst step is: "));
    EXPECT_EQ(lineAfter(t, "\tD is: "), "0.500 0.500 0.500 ");
    EXPECT_EQ(lineAfter(t, "\tEmax is: "), "0.2");
    const std::string ending = rule +
                               "\nNeuro result vector was deleted...\n"
                               "Neuro matrixs was deleted...\n";
    EXPECT_EQ(t.substr(t.size() - ending.size()), ending);
    EXPECT_NE(t.find("\n\n" + rule + "\nBackPropagate is over:\n\n\tFirst step is: "),
              std::string::npos);
}

TEST(Console, TwoRunsGiveTheSameTranscript) {
    const ConsoleRun first("0.1 0.2 0.3\n0.4 0.6 0.8\n");
    const ConsoleRun second("0.1 0.2 0.3\n0.4 0.6 0.8\n");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
}

}  // namespace
