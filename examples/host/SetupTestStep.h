// The host's run of the setup GUI module's test page, without a window, on the simulated drive.
#pragma once

#include <string>

// Prints each step of the test page; fills `detail` with the result; false unless the test succeeded.
bool RunSetupTestPage(std::string& detail);
