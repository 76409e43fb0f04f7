// The host's step in the motion program view: a program edited through the view's commands.
#pragma once

#include <string>

// Opens a program of configuration 05/05 in the motion view, adds a Move element through its module
// command, groups two rows, exports the group and imports it again, builds the program, downloads it
// to the drive and writes a picture of the view; false when a step of it failed.
bool EditProgramInMotionView(const std::string& outDir, std::string& detail);
