// The host's plot step: a plot file written, opened in the viewer and shown, pictured and printed.
#pragma once

#include <string>

// Saves a plot of two curves as plot.tpt under `outDir`, opens it in the viewer document and its
// view, and writes plot.png and the printed plot.pdf beside it.
bool ShowPlotFile(const std::string& outDir, std::string& detail);
