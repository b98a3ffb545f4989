#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Cuts text that comes in pieces, which may end anywhere, into lines, in memory bounded by
// the longest line: of a longer line that runs across pieces only its first `longest` + 1
// bytes are kept and handed out, so that its reader can reject it, and the rest of it is
// passed over.
class LineSplitter {
  public:
    explicit LineSplitter(std::size_t longest) : longest_(longest) {}

    // The next piece of the text; next() hands out the lines it ends. The piece must stay
    // valid until next() has handed out nothing.
    void take(std::string_view piece) { piece_ = piece; }
    // The next line the piece ends, without its line feed, or the start of a line found too
    // long; nothing once the piece is used up. A line stays valid until the next call.
    std::optional<std::string_view> next();
    // At the end of the text: its last line, when no line feed ended it.
    std::optional<std::string_view> last();

  private:
    // Keeps as much of the bytes as the line has room for.
    void keep(std::string_view bytes);
    // Forgets the line handed out last, if it was kept here.
    void forgetHandedOut();

    std::size_t longest_;
    std::string_view piece_;
    std::string line_;  // the start of a line that an earlier piece did not end
    bool handedOut_ = false;
    bool passingOver_ = false;  // the rest of a line found too long
};
