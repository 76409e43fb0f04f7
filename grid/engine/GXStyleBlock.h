// The grid's own block format in an archive: an array of rows x cols styles (or nulls) that owns them.
#pragma once

#include "platform/core/Array.h"

#include <memory>

class CArchive;

// Deletes the array with the styles it holds.
void GXDeleteStyles(CObArray* a);

using GXStyleArrayPtr = std::unique_ptr<CObArray, void (*)(CObArray*)>;

// Reads the block's array after its size; empty unless it holds exactly rows x cols styles or nulls.
// Archive exceptions pass to the caller.
GXStyleArrayPtr GXReadStyleBlock(CArchive& ar, DWORD rows, DWORD cols);
