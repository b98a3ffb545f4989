// Says why this C library cannot replay the transcripts' bits, or nothing when it can.

#include <iostream>

#include "TranscriptPlatform.hpp"

int main() {
    std::cout << TranscriptPlatform::whyNot();
}
