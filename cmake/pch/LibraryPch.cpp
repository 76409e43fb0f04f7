// Carries the library's precompiled header.
