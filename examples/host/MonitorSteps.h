// The host's steps through the monitoring subsystem: loggers on the simulated drive.
#pragma once

#include <string>

// Logs APOS and IQ on the open drive, uploads them in the document's idle loop and reports the
// point count; false when a step of the road fails.
bool LogAndUploadAposAndIq(std::string& detail);
// Runs a free-running scope of APOS and IQ, forwards the drive's frames to it and reports one sweep.
bool RunTwoChannelScope(std::string& detail);
// Saves a panel of two value displays under `outDir` and reads it back.
bool SaveAndReloadPanel(const std::string& outDir, std::string& detail);
