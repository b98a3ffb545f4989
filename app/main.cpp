#include <iostream>

int main() {
    std::cout << "neuronet: the network is not built yet; only its linear algebra is.\n";
    return 0;
}
