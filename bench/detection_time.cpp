// How long finding out the encoding of each file takes, the median of several runs in seconds:
// tools/bench sets it beside the time of a whole conversion of the same file.
//   detection_time FILE...
#include "input/encoding_evidence.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    for (int a = 1; a < argc; ++a) {
        std::ifstream in(argv[a], std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<double> seconds;
        int taken = 0;
        for (int run = 0; run < 9; ++run) {
            const auto start = std::chrono::steady_clock::now();
            taken = static_cast<int>(input::WeighEncodings(bytes).encoding);
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(seconds.begin(), seconds.end());
        std::printf("%.6f %d %s\n", seconds[seconds.size() / 2], taken, argv[a]);
    }
    return 0;
}
