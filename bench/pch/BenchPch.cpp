// Carries the benchmarks' precompiled header.
