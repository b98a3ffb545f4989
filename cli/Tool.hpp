#pragma once

#include <exception>
#include <functional>
#include <string_view>

// What neuronet-plot and neuronet-compare do around their own work: memory that runs out ends
// the run at once with one line, and a failure is one line on standard error, after the
// program's name, and its exit status.
class Tool {
  public:
    // `name` and `usage` are static texts. Memory that runs out is handled from now on.
    Tool(std::string_view name, const char* usage);

    // The work's status. A wrong command line is said with the usage, status 64; an input of
    // one of the types `Unusable`, status `unusableStatus`; any other failure, status 3.
    template <typename... Unusable>
    int run(const std::function<int()>& work, int unusableStatus) const {
        return guarded(work, unusableStatus, [](const std::exception& failure) {
            return (... || (dynamic_cast<const Unusable*>(&failure) != nullptr));
        });
    }

  private:
    int guarded(const std::function<int()>& work, int unusableStatus,
                bool (*unusable)(const std::exception&)) const;

    std::string_view name_;
    const char* usage_;
};
