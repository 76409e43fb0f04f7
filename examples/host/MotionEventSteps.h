// The host's steps with motion events and with a program moved to a drive of the other unit kind.
#pragma once

#include <string>

// Adds an element holding a motion event to a program; `detail` gets the event's description and code.
bool AddMotionEventElement(std::string& detail);
// Binds a program written for a rotary drive to the linear configuration 02/10, answering the
// transition question with 10 mm per rotation; `detail` gets the repaired parameter.
bool RepairUnitTransition(std::string& detail);
