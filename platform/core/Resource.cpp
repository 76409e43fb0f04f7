#include "platform/core/Resource.h"

// Placeholder until the resource chain lands.
bool LoadStringResource(UINT, std::string&) { return false; }
