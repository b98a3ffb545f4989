#include "app/Dialogue.hpp"

#include "app/CommandLine.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>

namespace {

// The allocation that comes this many allocations from now fails, once; -1: none does.
long allocationsBeforeFailure = -1;

struct FailingRun {
    int status;
    std::string out, err;
    bool failed;  // whether the allocation that was to fail came
};

FailingRun runFailingAt(long allocation) {
    std::istringstream in("1 2 3 0.5 0.5 0.5");
    // Output goes into room taken beforehand, as the console's buffer allocates nothing
    // while the program runs. (A string stream that grows may take a failed allocation for
    // the end of its room, and report that instead.)
    std::ostringstream out(std::string(64 * 1024, '\0')), err;
    std::srand(1);
    allocationsBeforeFailure = allocation;
    const int status = runProgram(CommandLine({}), in, out, err);
    const bool failed = allocation >= 0 && allocationsBeforeFailure < 0;
    allocationsBeforeFailure = -1;
    const auto written = out.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::out);
    return {status, out.str().substr(0, static_cast<std::size_t>(written)), err.str(), failed};
}

// Memory that runs out anywhere, in reading, construction, training or the report, ends
// the run there: what was written so far, then one line, and nothing more.
TEST(FatalError, EveryAllocationThatFailsEndsTheRunWithOneLine) {
    const std::string whole = runFailingAt(-1).out;
    long allocation = 0;
    for (FailingRun run; (run = runFailingAt(allocation)).failed; ++allocation) {
        EXPECT_EQ(run.status, 3) << allocation;
        EXPECT_EQ(run.err, "neuronet: out of memory\n") << allocation;
        EXPECT_TRUE(whole.starts_with(run.out)) << allocation;
    }
    EXPECT_GT(allocation, 20) << "the sweep ended early";
}

}  // namespace

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

// GoogleTest allocates with the non-throwing form too, and frees with the plain delete below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Not inlined: the compiler would take the free() of memory from operator new for a mistake.
[[gnu::noinline]] void operator delete(void* memory) noexcept {
    std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
