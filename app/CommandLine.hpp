#pragma once

#include <iosfwd>
#include <span>
#include <string>

// What the program's arguments ask for. It takes no operands: with no argument it runs
// the dialogue, and --help and --version are its only options.
class CommandLine {
  public:
    explicit CommandLine(std::span<const char* const> arguments);

    bool runsDialogue() const { return request_ == Request::dialogue; }

    // Answers a request other than the dialogue: the usage, the version, or the
    // argument that is not the program's. Returns the exit status.
    int answer(std::ostream& out, std::ostream& err) const;

  private:
    enum class Request { dialogue, help, version, misuse };
    Request request_ = Request::dialogue;
    std::string misused_;
};
