#include <iostream>

#include "app/Dialogue.hpp"

int main() {
    return runDialogue(std::cin, std::cout, std::cerr);
}
