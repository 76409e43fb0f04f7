#include "platform/core/MessageBox.h"

#include "platform/core/Automation.h"
#include "platform/core/Resource.h"

#include <mutex>
#include <set>
#include <string>

namespace {

std::mutex g_nameMutex;
const char* g_appName = "dravonix";

}  // namespace

void AfxSetAppName(const char* name) {
  // Names are kept for good, so a pointer handed out earlier never dangles.
  static std::set<std::string>* names = new std::set<std::string>;
  std::lock_guard<std::mutex> lock(g_nameMutex);
  if (!name || !*name) {
    g_appName = "dravonix";
    return;
  }
  g_appName = names->insert(name).first->c_str();
}

const char* AfxGetAppName() {
  std::lock_guard<std::mutex> lock(g_nameMutex);
  return g_appName;
}

UINT AfxMessageBoxType(UINT type) {
  if (type & MB_ICONMASK) return type;
  switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
      return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return type | MB_ICONQUESTION;
    default:
      return type;
  }
}

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
  return Automation::Instance().ShowMessageBox(text, AfxGetAppName(), AfxMessageBoxType(type), helpId);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
  std::string text;
  if (!LoadStringResource(promptId, text)) return 0;
  if (helpId == UINT(-1)) helpId = promptId;
  return AfxMessageBox(text.c_str(), type, helpId);
}

int MessageBox(HWND__* owner, const char* text, const char* caption, UINT type) {
  return Automation::Instance().ShowMessageBox(text, caption ? caption : "Error", type, 0, owner);
}

BOOL MessageBeep(UINT type) {
  Automation::Instance().RecordBeep(type);
  return TRUE;
}

HWND__* HtmlHelp(HWND__* caller, const char* file, UINT command, DWORD_PTR data) {
  Automation::HelpRecord rec;
  rec.kind = Automation::HelpKind::Html;
  rec.caller = caller;
  rec.file = file ? file : "";
  rec.command = command;
  rec.data = data;
  if (command == HH_DISPLAY_TOPIC && data) rec.topic = reinterpret_cast<const char*>(data);
  Automation::Instance().RecordHelp(rec);
  return nullptr;
}

BOOL WinHelp(HWND__* caller, const char* file, UINT command, DWORD_PTR data) {
  Automation::HelpRecord rec;
  rec.kind = Automation::HelpKind::Win;
  rec.caller = caller;
  rec.file = file ? file : "";
  rec.command = command;
  rec.data = data;
  if ((command == HELP_KEY || command == HELP_PARTIALKEY || command == HELP_COMMAND) && data)
    rec.topic = reinterpret_cast<const char*>(data);
  Automation::Instance().RecordHelp(rec);
  return TRUE;
}
