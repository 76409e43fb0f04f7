// Module resource tables and the resource chain (host, kernel, then plug-ins).
#pragma once

#include "platform/core/Types.h"

#include <string>

// Looks a string id up along the resource chain; false when no module has it.
bool LoadStringResource(UINT id, std::string& out);
