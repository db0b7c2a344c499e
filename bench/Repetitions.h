#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace kel::bench {

// Starts Google Benchmark with nine randomly interleaved repetitions and their
// aggregates only, unless the command line names its own repetitions: the ratios
// the benchmarks print are medians of rounds taken at the same moments.
// False when the command line holds an argument nobody knows.
inline bool InitializeInterleaved(std::vector<char*>& args) {
    bool repetitions = false;
    for (std::size_t i = 1; i < args.size(); ++i)
        repetitions |= std::strncmp(args[i], "--benchmark_repetitions", 23) == 0;
    static std::string r = "--benchmark_repetitions=9", i = "--benchmark_enable_random_interleaving=true",
                       a = "--benchmark_report_aggregates_only=true";
    if (!repetitions) args.insert(args.begin() + 1, {r.data(), i.data(), a.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

}  // namespace kel::bench
