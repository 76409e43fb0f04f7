// What the save of a set of files (ConfigSet.cpp) shares with the code that finishes a restore in the
// same folder: the record's names and how a name in the folder is looked at.
#pragma once

#include <sys/stat.h>

#include <string>

namespace saveset {

// The record of a set being put in place, and the same record once the set is being undone.
extern const char kSetRecord[];
extern const char kUndoRecord[];

std::string In(const std::string& folder, const std::string& name);
// What has the name, looked at without following a link: 1 a plain file, 0 nothing, -1 anything
// else or a name that cannot be looked at (the last error set).
int Kind(const std::string& path, struct stat* st = nullptr);
// A record stands at `path`: anything but a folder.
bool RecordAt(const std::string& path);

}  // namespace saveset
