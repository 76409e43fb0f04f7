// The framework's collection classes: arrays, lists, maps and their typed-pointer views.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/List.h"
#include "platform/core/Map.h"
#include "platform/core/TypedPtr.h"
