// The floor of a run's cost: writes a recorded transcript to standard output as the
// program flushed it, one write() per flushed piece, and does nothing else.
// Usage: floor PIECES_FILE, where the file holds each piece as a 4-byte little-endian
// length followed by the piece's bytes.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor PIECES_FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<char> pieces((std::istreambuf_iterator<char>(file)), {});
    std::size_t at = 0;
    while (at + 4 <= pieces.size()) {
        std::uint32_t length = 0;
        for (int byte = 3; byte >= 0; --byte) {
            length = length << 8 |
                     static_cast<unsigned char>(pieces[at + static_cast<std::size_t>(byte)]);
        }
        at += 4;
        if (write(1, pieces.data() + at, length) != static_cast<ssize_t>(length)) {
            return 1;
        }
        at += length;
    }
    return 0;
}
