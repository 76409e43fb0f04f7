// Shared by the test motion modules: the icon resource and a reader of element parameter strings.
#pragma once

#include "motion/modules/MotionModule.h"
#include "platform/core/Resource.h"
#include "platform/core/String.h"

#include <string>
#include <vector>

class CMC_Setup;
class CMC_Motion;

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// Registers `bytes` as the module's "ModuleIcon" bitmap for the life of the library.
#define MOTION_MODULE_ICON(bytes, size)                                                 \
  namespace {                                                                           \
  const RESOURCE_ENTRY kIconEntries[] = {{RT_BITMAP, "ModuleIcon", bytes, size}};      \
  const RESOURCE_TABLE kIconTable = {nullptr, 0, kIconEntries, 1};                      \
  CResourceTableRegistration g_iconRegistration(kIconTable);                            \
  }

namespace motionmodules {

struct Item {
  std::string name, unit, value;
};

// Items `name[unit]=value` separated by blanks; a value in braces or parentheses may hold blanks.
inline bool ParseItems(const char* text, std::vector<Item>& items) {
  items.clear();
  std::string s = text ? text : "";
  size_t i = 0;
  auto isName = [](char c) { return isalnum((unsigned char)c) || c == '_'; };
  while (true) {
    while (i < s.size() && isspace((unsigned char)s[i])) ++i;
    if (i >= s.size()) return true;
    Item item;
    while (i < s.size() && isName(s[i])) item.name += s[i++];
    if (item.name.empty() || i >= s.size()) return false;
    if (s[i] == '[') {
      size_t close = s.find(']', i);
      if (close == std::string::npos) return false;
      item.unit = s.substr(i + 1, close - i - 1);
      i = close + 1;
    }
    if (i >= s.size() || s[i] != '=') return false;
    ++i;
    if (i < s.size() && (s[i] == '{' || s[i] == '(')) {
      size_t close = s.find(s[i] == '{' ? '}' : ')', i);
      if (close == std::string::npos) return false;
      item.value = s.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      while (i < s.size() && !isspace((unsigned char)s[i])) item.value += s[i++];
    }
    items.push_back(item);
  }
}

}  // namespace motionmodules
