// The main of the benchmarks that set our code beside a reference library: each benchmark runs
// in several rounds and the rounds of all benchmarks take turns in random order, so that a
// load that comes and goes on the machine falls on both sides alike. Only the aggregates are
// reported; compare the medians. Flags given on the command line override these defaults.
#include <benchmark/benchmark.h>

#include <vector>

int main(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=15";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args{argv[0], repetitions, interleave, aggregates};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
