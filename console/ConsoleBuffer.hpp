#pragma once

#include <array>
#include <stdexcept>
#include <streambuf>

// A stream buffer over one of the process's file descriptors that never loses a failure:
// a read or write that fails for another reason than the end of input throws
// ConsoleBuffer::Failure, whose text names the stream and the C library's cause. Its
// storage is its own, so that it needs no memory from the heap; it serves one direction,
// reading or writing.
class ConsoleBuffer : public std::streambuf {
  public:
    struct Failure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // `name` is how the diagnostic calls the stream, such as "standard output". A pipe
    // whose reader has gone ends a program with SIGPIPE, unless it is `quiet`: then the
    // write only fails.
    ConsoleBuffer(int descriptor, const char* name, bool quiet = false);
    ConsoleBuffer(const ConsoleBuffer&) = delete;
    ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

    // Writes out what is buffered; false when that failed. Throws nothing, for the
    // paths that end the run anyway.
    bool drain() noexcept;

  protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    [[noreturn]] void fail(const char* doing, int error) const;

    // Writes what is buffered; false when that failed.
    bool writeOut() noexcept;

    int descriptor_;
    const char* name_;
    bool quiet_;
    int writeError_ = 0;
    std::array<char, 64 * 1024> storage_;
};
