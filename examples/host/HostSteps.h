// The steps of the example host's road through the kernel.
#pragma once

#include <string>

// Runs every step in order, printing each; false at the first that fails.
bool RunHostRoad(const std::string& outDir);
