// The host's steps through the monitoring subsystem: loggers on the simulated drive.
#pragma once

#include <string>

// Logs APOS and IQ on the open drive, uploads them in the document's idle loop, saves the logger
// (".lgs") and its plots (".tpt") under `outDir` and reads them back; false when a step fails.
bool LogAndUploadAposAndIq(const std::string& outDir, std::string& detail);
// Runs a free-running scope of APOS and IQ, forwards the drive's frames to it and reports one sweep.
bool RunTwoChannelScope(std::string& detail);
// Saves a panel of two value displays under `outDir` and reads it back.
bool SaveAndReloadPanel(const std::string& outDir, std::string& detail);
// Opens a panel of a value display, a gauge and a scope in a frame of an MDI main window, polls it
// for ten idle passes and saves its picture under `outDir`.
bool PollPanelInFrame(const std::string& outDir, std::string& detail);
// In design mode drops the value-display button of the gadgets bar on an empty panel, picks APOS
// in its dialog, polls the panel, saves its "cp" file with the editor's save command and a picture
// of its frame under `outDir`, and checks the file loads with the gadget at the drop point.
bool BuildPanelFromGadgetsBar(const std::string& outDir, std::string& detail);
