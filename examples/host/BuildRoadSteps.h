// The host's steps from a motion program to a drive that holds the program and its setup.
#pragma once

#include <string>

// Each fills `detail` with what it did; false when the step failed. They share one setup and
// one motion program, made by the first step and freed by ReleaseBuildRoad.
bool BuildSampleMotion(const std::string& outDir, std::string& detail);
bool DownloadMotionProgram(std::string& detail);
bool SaveSetupToDrive(std::string& detail);
bool ReadSetupBack(std::string& detail);
bool CompareSetupWithDrive(std::string& detail);
bool ResetAndCompare(std::string& detail);
void ReleaseBuildRoad();
