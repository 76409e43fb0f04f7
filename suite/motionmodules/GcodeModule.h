// Shared by the motion modules that run imported G-code: a key=value reader and their common translation.
#pragma once

#include "ModuleSupport.h"
#include "platform/core/Format.h"

#include <string>
#include <vector>

namespace gcodemodules {

enum Kind { kInt, kHex, kReal, kName };

struct Key {
  const char* name;
  Kind kind;
  bool list;      // comma-separated values, possibly none
  bool required;
};

struct Field {
  std::string key, unit;
  std::vector<std::string> values;
};

struct Module {
  const char* name;  // the element type
  const char* call;  // the statement name in the generated code
  const Key* keys;
  size_t keyCount;
};

// Fields split on blanks; each is `key[unit]=v1,v2,...`.
inline bool Parse(const std::string& s, std::vector<Field>& fields, std::string& bad) {
  fields.clear();
  size_t i = 0;
  while (true) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) return true;
    size_t end = i;
    while (end < s.size() && s[end] != ' ' && s[end] != '\t') ++end;
    std::string text = s.substr(i, end - i);
    i = end;
    bad = text;
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    Field f;
    f.key = text.substr(0, eq);
    size_t open = f.key.find('[');
    if (open != std::string::npos) {
      if (f.key.back() != ']' || open == 0) return false;
      f.unit = f.key.substr(open + 1, f.key.size() - open - 2);
      f.key.erase(open);
    }
    for (char c : f.key)
      if (!isalnum((unsigned char)c) && c != '_') return false;
    for (char c : f.unit)
      if ((unsigned char)c < 0x21 || (unsigned char)c > 0x7E || c == '[' || c == ']') return false;
    std::string rest = text.substr(eq + 1);
    if (!rest.empty()) {
      size_t from = 0;
      while (true) {
        size_t comma = rest.find(',', from);
        f.values.push_back(rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) break;
        from = comma + 1;
      }
    }
    fields.push_back(f);
  }
}

inline bool IsValue(const std::string& v, Kind kind) {
  size_t i = 0, n = v.size();
  auto digits = [&](bool hex) {
    size_t from = i;
    while (i < n && (isdigit((unsigned char)v[i]) || (hex && isxdigit((unsigned char)v[i])))) ++i;
    return i > from;
  };
  switch (kind) {
    case kHex:
      return digits(true) && i == n;
    case kInt:
      if (i < n && v[i] == '-') ++i;
      return digits(false) && i == n;
    case kName:
      if (n == 0 || isdigit((unsigned char)v[0])) return false;
      for (char c : v)
        if (!isalnum((unsigned char)c) && c != '_') return false;
      return true;
    case kReal: {
      if (i < n && (v[i] == '-' || v[i] == '+')) ++i;
      bool whole = digits(false);
      bool fraction = false;
      if (i < n && v[i] == '.') {
        ++i;
        fraction = digits(false);
      }
      if (!whole && !fraction) return false;
      if (i < n && (v[i] == 'e' || v[i] == 'E')) {
        ++i;
        if (i < n && (v[i] == '-' || v[i] == '+')) ++i;
        if (!digits(false)) return false;
      }
      return i == n;
    }
  }
  return false;
}

// The parameters checked against the module's keys: "" when they are sound, else the error text.
inline std::string Check(const Module& m, const std::string& params) {
  if (params.find("ERR") != std::string::npos)
    return FormatString("%s: error in the parameters \"%s\"", m.name, params.c_str());
  for (char c : params)
    if ((unsigned char)c < 0x20 && c != '\t')
      return FormatString("%s: the parameters must stay on one line", m.name);
  std::vector<Field> fields;
  std::string bad;
  if (!Parse(params, fields, bad)) return FormatString("%s: cannot read the parameter \"%s\"", m.name, bad.c_str());
  std::vector<bool> seen(m.keyCount, false);
  for (const Field& f : fields) {
    size_t k = 0;
    while (k < m.keyCount && f.key != m.keys[k].name) ++k;
    if (k == m.keyCount) return FormatString("%s: unknown parameter %s", m.name, f.key.c_str());
    if (seen[k]) return FormatString("%s: the parameter %s is given twice", m.name, f.key.c_str());
    seen[k] = true;
    const Key& key = m.keys[k];
    if (!key.list && f.values.size() != 1)
      return FormatString("%s: the parameter %s takes one value", m.name, f.key.c_str());
    for (const std::string& v : f.values)
      if (!IsValue(v, key.kind))
        return FormatString("%s: bad value \"%s\" of the parameter %s", m.name, v.c_str(), f.key.c_str());
  }
  for (size_t k = 0; k < m.keyCount; ++k)
    if (m.keys[k].required && !seen[k]) return FormatString("%s: the parameter %s is missing", m.name, m.keys[k].name);
  return std::string();
}

// The parameter values (floating-point numbers, hexadecimal masks) do not all fit the compiler's number
// forms, so the element is kept readable in a comment line and runs as a call statement of its own.
inline int Translate(const Module& m, const CString* parameters, CString* code) {
  std::string params = parameters ? parameters->GetString() : "";
  std::string error = Check(m, params);
  if (!error.empty()) {
    *code = error.c_str();
    return 0;
  }
  code->Format("// %s(%s);\r\n%s();\r\n", m.name, params.c_str(), m.call);
  return 1;
}

}  // namespace gcodemodules

// The seven entry points of a G-code module with no editor of its own.
#define GCODE_MODULE(module, className, orderId, defaults)                                           \
  MODULE_EXPORT const char* GetClassName() { return className; }                                     \
  MODULE_EXPORT const char* GetName() { return module.name; }                                        \
  MODULE_EXPORT WORD GetOrderID() { return orderId; }                                                \
  MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }                                              \
  MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) {            \
    *parameters = defaults;                                                                          \
  }                                                                                                  \
  MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }              \
  MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString* parameters, CString* code) { \
    return gcodemodules::Translate(module, parameters, code);                                        \
  }
