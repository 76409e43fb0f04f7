// The host's interpreter console: a text view on its main document that runs one line on the drive.
#pragma once

#include <string>

// Opens the console in a view of the host's main document, runs "CPOS=100;" on the active drive,
// checks what was printed and writes interpreter-console.png.
bool RunConsoleLine(const std::string& outDir, std::string& detail);
