// The long run of the whole-instruction path against the micro-code (the tests run a bounded
// one): varlume-differential [cases] [seed]. Exit status 1 at the first difference.
#include "bench/cpu_differential.h"

#include <chrono>
#include <cstdlib>

int main(int argc, char** argv) {
    const int cases = argc > 1 ? std::atoi(argv[1]) : 100000;
    const uint32_t seed = argc > 2 ? uint32_t(std::strtoul(argv[2], nullptr, 0)) : 1;
    constexpr int BatchesPerCase = 24;
    const auto start = std::chrono::steady_clock::now();
    Differential::TChecker checker(seed);
    const std::string difference = checker.Run(cases, BatchesPerCase);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Differential::TStatistics& seen = checker.Statistics;
    std::printf("%llu instructions in %d cases (seed %u), %.0f%% of the clocks taken whole, %.1f s\n",
                static_cast<unsigned long long>(seen.Instructions), cases, unsigned(seed),
                100.0 * double(seen.WholeClocks) / double(seen.Clocks ? seen.Clocks : 1), seconds);
    if (!difference.empty()) {
        std::printf("difference: %s\n", difference.c_str());
        return 1;
    }
    std::printf("no difference\n");
    return 0;
}
