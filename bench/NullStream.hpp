#pragma once

#include <ostream>
#include <streambuf>

// An output stream that throws away whatever is written to it.
class NullStream : public std::ostream {
  public:
    NullStream() : std::ostream(&discard_) {}

  private:
    class Discard : public std::streambuf {
      protected:
        std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
        int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    };
    Discard discard_;
};
