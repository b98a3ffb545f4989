#include "cli/Tool.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <new>

#include "cli/UsageError.hpp"
#include "transcript/ExitStatus.hpp"

namespace {

// The line said when memory runs out, made while there is memory: throwing needs memory too,
// so the run ends where it ran out, and what is buffered of its output stays unwritten.
constexpr std::string_view outOfMemoryWords = ": out of memory\n";
std::array<char, 64> outOfMemoryLine;
std::size_t outOfMemoryLength = 0;

[[noreturn]] void outOfMemory() {
    [[maybe_unused]] const auto written =
        ::write(STDERR_FILENO, outOfMemoryLine.data(), outOfMemoryLength);
    std::_Exit(ExitStatus::fatalError);
}

}  // namespace

Tool::Tool(std::string_view name, const char* usage) : name_(name), usage_(usage) {
    name = name.substr(0, outOfMemoryLine.size() - outOfMemoryWords.size());
    const auto end = std::copy(name.begin(), name.end(), outOfMemoryLine.begin());
    std::copy(outOfMemoryWords.begin(), outOfMemoryWords.end(), end);
    outOfMemoryLength = name.size() + outOfMemoryWords.size();
    std::set_new_handler(outOfMemory);
}

int Tool::guarded(const std::function<int()>& work, int unusableStatus,
                  bool (*unusable)(const std::exception&)) const {
    try {
        return work();
    } catch (const UsageError& error) {
        std::cerr << name_ << ": " << error.why << '\n' << usage_;
        return ExitStatus::usage;
    } catch (const std::exception& failure) {
        std::cerr << name_ << ": " << failure.what() << '\n';
        return unusable(failure) ? unusableStatus : ExitStatus::fatalError;
    }
}
