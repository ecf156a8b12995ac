#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

// Google Benchmark takes its own options and answers --help itself with the list of them
// (exit 0); `usage` goes first.
inline void initializeBenchmarks(int* argc, char** argv, const char* usage)
{
    for (int i = 1; i < *argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
        }
    }
    benchmark::Initialize(argc, argv);
}

// As above, and any argument left over is refused with exit status 2, as in every program
// here. Returns the exit status to end with, or -1 to run.
inline int takeBenchmarkArgs(int* argc, char** argv, const char* usage)
{
    initializeBenchmarks(argc, argv, usage);
    return benchmark::ReportUnrecognizedArguments(*argc, argv) ? 2 : -1;
}

inline int runBenchmarks()
{
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
