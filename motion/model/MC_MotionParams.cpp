// Element parameter strings: items name[unit]=value separated by blanks.
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Units.h"
#include "motion/model/MC_Motion.h"

#include <cstring>
#include <string>

namespace {
const UINT IDS_MOTION_PARAMETER_INVALID = 20048;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
bool EqualNoCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = (char)(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = (char)(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}
// Position after the value that starts at `i`: a bracketed value ends after its closing bracket
// (or at the end), a bare one at the next white space.
size_t SkipValue(const std::string& s, size_t i) {
  if (i < s.size() && (s[i] == '(' || s[i] == '{')) {
    size_t close = s.find(s[i] == '(' ? ')' : '}', i + 1);
    return close == std::string::npos ? s.size() : close + 1;
  }
  while (i < s.size() && !IsSpace(s[i])) ++i;
  return i;
}
}  // namespace

void CMC_Motion::AddToElemParameters(CString& parameters, const char* name, const char* unit, const char* value) {
  if (!name || !value) return;
  std::string& s = parameters.str();
  if (!s.empty()) s += ' ';
  s += name;
  if (unit && !CMC_Units::IsInternalUnit(unit)) {
    s += '[';
    s += unit;
    s += ']';
  }
  s += '=';
  if (!std::strchr(value, ' ')) {
    s += value;
  } else if (std::strchr(value, '}')) {
    s += '(';
    s += value;
    s += ')';
  } else {
    s += '{';
    s += value;
    s += '}';
  }
}

int CMC_Motion::ReadAllElemParameters(const CString& parameters, CStringArray& names, CStringArray& units,
                                      CStringArray& values) const {
  if (!m_pSetup) {
    names.RemoveAll();
    units.RemoveAll();
    values.RemoveAll();
    return 0;
  }
  return ParseAllElemParameters(parameters, names, units, values);
}

int CMC_Motion::ParseAllElemParameters(const CString& parameters, CStringArray& names, CStringArray& units,
                                       CStringArray& values) {
  names.RemoveAll();
  units.RemoveAll();
  values.RemoveAll();
  const std::string& s = parameters.str();
  size_t i = 0;
  for (;;) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i >= s.size()) return 1;
    if (!IsNameChar(s[i])) return 0;
    size_t start = i;
    while (i < s.size() && IsNameChar(s[i])) ++i;
    if (i >= s.size()) return 0;
    CString name(s.data() + start, (int)(i - start)), unit, value;
    if (s[i] == '[') {
      size_t close = s.find(']', i + 1);
      if (close == std::string::npos || close == i + 1 || close + 1 >= s.size()) return 0;
      unit = CString(s.data() + i + 1, (int)(close - i - 1));
      i = close + 1;
    }
    if (s[i] != '=') return 0;
    ++i;
    if (i < s.size() && (s[i] == '(' || s[i] == '{')) {
      size_t close = s.find(s[i] == '(' ? ')' : '}', i + 1);
      if (close == std::string::npos) return 0;
      value = CString(s.data() + i + 1, (int)(close - i - 1));
      i = close + 1;
    } else {
      size_t end = SkipValue(s, i);
      value = CString(s.data() + i, (int)(end - i));
      i = end;
    }
    names.Add(name);
    units.Add(unit);
    values.Add(value);
  }
}

int CMC_Motion::ReadElemParameter(const CString& parameters, const char* name, CString& unit, CString& value) const {
  if (!m_pSetup) {
    unit.Empty();
    value = FormatKernelString(IDS_MOTION_PARAMETER_INVALID, name ? name : "");
    return 0;
  }
  return ParseElemParameter(parameters, name, unit, value);
}

int CMC_Motion::ParseElemParameter(const CString& parameters, const char* name, CString& unit, CString& value) {
  unit.Empty();
  value.Empty();
  const std::string& s = parameters.str();
  const size_t len = name ? std::strlen(name) : 0;
  auto fail = [&]() {
    value = FormatKernelString(IDS_MOTION_PARAMETER_INVALID, name ? name : "");
    return 0;
  };
  if (len == 0 || s.empty()) return fail();

  // Items are walked one by one, so that a name standing inside another item's bracketed value
  // is not taken for a parameter.
  size_t found = std::string::npos;
  for (size_t i = 0; i < s.size();) {
    if (IsSpace(s[i])) {
      ++i;
      continue;
    }
    const bool afterBlank = i == 0 || s[i - 1] == ' ' || s[i - 1] == '\t';
    if (afterBlank && i + len < s.size() && (s[i + len] == '=' || s[i + len] == '[') &&
        EqualNoCase(s.data() + i, name, len)) {
      found = i + len;
      break;
    }
    // Skip this item: its name and unit, then its value.
    while (i < s.size() && !IsSpace(s[i]) && s[i] != '=') {
      if (s[i] == '[') {
        size_t close = s.find(']', i + 1);
        i = close == std::string::npos ? s.size() : close + 1;
      } else {
        ++i;
      }
    }
    if (i < s.size() && s[i] == '=') i = SkipValue(s, i + 1);
  }
  if (found == std::string::npos) return fail();

  size_t i = found;
  if (s[i] == '[') {
    size_t close = s.find(']', i + 1);
    if (close == std::string::npos || close == i + 1) return fail();
    unit = CString(s.data() + i + 1, (int)(close - i - 1));
    i = close + 1;
  }
  if (i >= s.size() || s[i] != '=') return fail();
  ++i;
  if (i < s.size() && (s[i] == '(' || s[i] == '{')) {
    size_t close = s.find(s[i] == '(' ? ')' : '}', i + 1);
    size_t end = close == std::string::npos ? s.size() : close;
    value = CString(s.data() + i + 1, (int)(end - i - 1));
  } else {
    size_t end = SkipValue(s, i);
    value = CString(s.data() + i, (int)(end - i));
  }
  return 1;
}
