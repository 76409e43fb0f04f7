// The host's memory view and handler folder views on the simulated drive.
#pragma once

#include <string>

// Opens the memory view of configuration 05/05 on the active drive, types a word at 0x8400 (the first
// RAM word after the PVT area), checks the word read back and writes memory-view.png.
bool WriteWordInMemoryView(const std::string& outDir, std::string& detail);
// Opens the homing procedures and interrupts folder views of a 05/05 program, makes the first
// interrupt user defined by a click and writes homing-folder-view.png and interrupts-folder-view.png.
bool ShowHandlerFolderViews(const std::string& outDir, std::string& detail);
