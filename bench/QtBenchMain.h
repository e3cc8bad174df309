#pragma once

// The main of a benchmark that needs Qt's event loop: the port hands received bytes to it.
#include <benchmark/benchmark.h>

template <typename App>
int RunQtBenchmarks(int argc, char** argv) {
  App app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
