// The dialog section of the automation interface: handlers that run when a dialog starts its modal
// loop (by template id, template name or class), the log of dialogs nobody drove, helpers that act
// on a dialog's controls, and the scripted answers of the common dialogs.
#pragma once

#include "platform/gdi/GdiDefs.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <string>
#include <vector>

class CWnd;

namespace DialogAutomation {

using DialogHandler = std::function<void(CWnd* dlg)>;
// A handler for the next dialog made from template `templateId`.
int AddDialogHandler(UINT templateId, DialogHandler handler, bool once = true);
// A handler for the next dialog whose template name or run-time class (or a base class) is `name`.
int AddDialogHandler(const char* name, DialogHandler handler, bool once = true);
void RemoveDialogHandler(int id);
void ClearDialogHandlers();

// Called by the layer when a modal dialog starts: runs a matching handler; false when none matched.
bool RunDialogHandler(CWnd* dlg, LPCSTR templateName);

struct UnscriptedDialog {
  std::string className;
  UINT templateId = 0;
  std::string templateName;
  std::string caption;
};
void RecordUnscripted(CWnd* dlg, LPCSTR templateName);
std::vector<UnscriptedDialog> UnscriptedDialogs();
void ClearUnscriptedDialogs();

// ---- Acting on a dialog as the user would (each pumps) -------------------------------------------
// Focuses the control, selects its text and types `text`.
void TypeInto(CWnd* dlg, int id, const char* text);
// Clicks the middle of a control (buttons, check boxes, radio buttons).
void ClickControl(CWnd* dlg, int id);
// Selects an item of a list or combo box by its text as a user does: a combo box's list dropped by
// its arrow, its item clicked where it shows, else walked to by keys and taken by Enter; a list box's
// item clicked, or walked to by keys. False when no item has the text; the owner may refuse the choice.
bool SelectItem(CWnd* dlg, int id, const char* text);

// ---- Common dialogs --------------------------------------------------------------------------------
enum class CommonKind { FileOpen, FileSave, Print, PrintSetup, Color, Font, Folder, FindReplace };

// What a common dialog was asked to show.
struct CommonRequest {
  CommonKind kind = CommonKind::FileOpen;
  std::string title;
  std::string initialDir;
  std::string fileName;
  std::string filter;  // the filter as given, '|'-separated
  std::string defExt;
  DWORD flags = 0;
  bool scripted = false;
  bool ok = false;
  std::string result;  // the path chosen (file and folder dialogs)
};

// The answer a test scripts. `ok` false cancels.
struct CommonAnswer {
  bool ok = false;
  std::string path;       // file and folder dialogs (several files: separated by '\n')
  int filterIndex = 0;    // file dialogs: 1-based, 0 keeps the dialog's
  COLORREF color = 0;     // colour and font dialogs
  LOGFONT font{};         // font dialog
  int fromPage = 0, toPage = 0, copies = 1;  // print dialog
  DWORD flags = 0;        // print dialog: PD_ flags to add (e.g. PD_SELECTION)
  short orientation = 0;  // print dialogs: the DMORIENT_ value the user picks; 0 keeps the printer's
  std::string findWhat, replaceWith;  // find/replace: what the user typed
};

void PushAnswer(CommonKind kind, const CommonAnswer& answer);
// Shorthands: a path (null: cancel).
void PushFileDialogResult(const char* path);
void PushFolderResult(const char* path);
void PushColorResult(COLORREF color);
void PushFontResult(const LOGFONT& font, COLORREF color);
void PushCancel(CommonKind kind);
// Consulted when no answer is queued; returns false to cancel.
using CommonHandler = std::function<bool(const CommonRequest& request, CommonAnswer& answer)>;
void SetCommonDialogHandler(CommonHandler handler);
std::vector<CommonRequest> CommonDialogs();
void ClearCommonDialogs();

// Used by the dialogs: the answer for a request (queued, else the handler's, else cancel), logged.
CommonAnswer Answer(CommonRequest request);

// Forgets handlers, answers and logs.
void Reset();

}  // namespace DialogAutomation
