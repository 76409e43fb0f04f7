// Carries the tests' precompiled header.
