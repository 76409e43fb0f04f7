// The editor's string table: result-code messages and profile entry names.
#pragma once

#include "platform/core/Types.h"

// The editor's text for a string id, or null when the editor has none.
const char* GetEditorString(UINT id);
// The editor's string table; it joins the kernel's resources when the library is loaded.
struct RESOURCE_TABLE;
const RESOURCE_TABLE& GetEditorStringTable();
