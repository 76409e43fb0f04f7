// The host's steps through the monitoring subsystem: loggers on the simulated drive.
#pragma once

#include <string>

// Logs APOS and IQ on the open drive while it moves to 3 rotations, uploads them in the document's
// idle loop, saves the logger (".lgs"), its plots (".tpt") and a picture of its view under `outDir`
// and reads the files back; false when a step fails or the picture does not show the move.
bool LogAndUploadAposAndIq(const std::string& outDir, std::string& detail);
// Runs a free-running scope of APOS and IQ while the drive moves back to 0, forwards the drive's
// frames to it, reports one sweep and saves a picture of its view under `outDir`, in which both
// channels must show the move.
bool RunTwoChannelScope(const std::string& outDir, std::string& detail);
// Saves a panel of two value displays under `outDir` and reads it back.
bool SaveAndReloadPanel(const std::string& outDir, std::string& detail);
// Opens a panel of a value display, a gauge and a scope in a frame of an MDI main window, polls it
// for twenty idle passes while the drive moves to 3 rotations and saves pictures before and after
// the move under `outDir`; the value display and the scope must follow the move.
bool PollPanelInFrame(const std::string& outDir, std::string& detail);
// In design mode drops the value-display button of the gadgets bar on an empty panel, picks APOS
// in its dialog, polls the panel, saves its "cp" file with the editor's save command and a picture
// of its frame under `outDir`, and checks the file loads with the gadget at the drop point.
bool BuildPanelFromGadgetsBar(const std::string& outDir, std::string& detail);
