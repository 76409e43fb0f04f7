// The host's steps through the monitoring subsystem: loggers on the simulated drive.
#pragma once

#include <string>

// Logs APOS and IQ on the open drive, uploads them in the document's idle loop and reports the
// point count; false when a step of the road fails.
bool LogAndUploadAposAndIq(std::string& detail);
