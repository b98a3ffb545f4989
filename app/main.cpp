#include <iostream>

#include "app/Dialogue.hpp"

int main() {
    return runProgram(std::cin, std::cout, std::cerr);
}
