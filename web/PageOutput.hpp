#pragma once

#include <array>
#include <streambuf>

#include "web/PageSeam.hpp"

class PageFrame;

// Standard output or standard error of the program in the page: what is written is
// buffered here and handed to the frame that goes to the page next. Writing never fails.
class PageOutput : public std::streambuf {
  public:
    PageOutput(PageFrame& frame, PageSeam::Stream stream);
    PageOutput(const PageOutput&) = delete;
    PageOutput& operator=(const PageOutput&) = delete;

    // Hands what is buffered to the frame.
    void handOver();

  protected:
    int_type overflow(int_type c) override;
    // A flush of standard output ends a line; one of standard error ends a diagnostic,
    // which the page is shown at once.
    int sync() override;

  private:
    PageFrame& frame_;
    PageSeam::Stream stream_;
    std::array<char, 64 * 1024> storage_;
};
