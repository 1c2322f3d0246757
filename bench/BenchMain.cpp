// The main of the benchmark programs that need no set-up of their own: a
// headless windowing host around Google Benchmark's runner.
#include "platform/runtime/Host.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    StartPlatformHost(argc, argv, true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopPlatformHost();
    return 0;
}
