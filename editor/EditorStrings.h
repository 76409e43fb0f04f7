// The editor's string table: result-code messages and profile entry names.
#pragma once

#include "platform/core/Types.h"

// The editor's text for a string id, or null when the editor has none.
const char* GetEditorString(UINT id);
// Adds the editor's strings to the module's resource table.
void RegisterEditorStrings();
