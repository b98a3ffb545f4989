#pragma once

#include <array>
#include <streambuf>

class PageFrame;

// Standard input of the program in the page: the answers typed into it, as they come.
// Before it waits for the next answer, the page is sent the frame so far, so that the
// prompt is on the screen.
class PageInput : public std::streambuf {
  public:
    explicit PageInput(PageFrame& frame);
    PageInput(const PageInput&) = delete;
    PageInput& operator=(const PageInput&) = delete;

  protected:
    int_type underflow() override;

  private:
    PageFrame& frame_;
    std::array<char, 4096> storage_;
};
