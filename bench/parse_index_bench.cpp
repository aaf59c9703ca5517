// Times the index parser on one index file held in memory: the best of several parses.
//   parse_index_bench INDEX_FILE [REPEATS]   ->   "<bytes> <units> <best seconds>"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "index_parser.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s INDEX_FILE [REPEATS]\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 20;
    double best = 1e30;
    size_t units = 0;
    for (int pass = 0; pass < repeats; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        const quarnel::ParsedIndex parsed = quarnel::parseIndex(bytes);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        units = parsed.units.size();
    }
    std::printf("%zu %zu %.6f\n", bytes.size(), units, best);
    return 0;
}
