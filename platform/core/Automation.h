// The automation interface: tests and hosts script what the user would answer and read what was shown.
#pragma once

#include "platform/core/Types.h"

#include <atomic>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

struct HWND__;

// One process-wide instance; every member is safe to call from any thread. Each section below
// covers one kind of interaction; the window layer's part is platform/ui/UiAutomation.h.
class Automation {
 public:
  static Automation& Instance();

  // Forgets every script, handler and log entry.
  void Reset();

  // ---- Message boxes -------------------------------------------------------------------------
  struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type = 0;
    UINT helpId = 0;
    int answer = 0;
    bool scripted = false;  // false: answered the safe way
  };
  // Returns the answer, or 0 to let the box be answered the safe way.
  using MessageBoxHandler = std::function<int(const char* text, const char* caption, UINT type)>;

  // Answers for the next boxes, consumed in order before the handler is asked.
  void PushMessageBoxAnswer(int answer);
  void PushMessageBoxAnswers(std::initializer_list<int> answers);
  size_t PendingMessageBoxAnswers() const;
  void SetMessageBoxHandler(MessageBoxHandler handler);
  std::vector<MessageBoxRecord> MessageBoxes() const;
  void ClearMessageBoxes();
  // Shows a box: logs it and returns the scripted answer, the handler's, or the safe one. A box is
  // modal to `owner` (null: the calling thread's active window).
  int ShowMessageBox(const char* text, const char* caption, UINT type, UINT helpId = 0, HWND__* owner = nullptr);
  // What a modal box does to the windows as it comes up; the window layer installs it, and it runs
  // on the thread showing the box before the answer is asked for.
  using ModalBoxHook = void (*)(HWND__* owner);
  void SetModalBoxHook(ModalBoxHook hook);
  // Cancel where the box offers it, else No, else Abort, else OK; never Retry.
  static int SafeAnswer(UINT type);

  // ---- Beeps ---------------------------------------------------------------------------------
  void RecordBeep(UINT type);
  std::vector<UINT> Beeps() const;
  void ClearBeeps();

  // ---- Help calls ----------------------------------------------------------------------------
  enum class HelpKind { Html, Win };
  struct HelpRecord {
    HelpKind kind = HelpKind::Html;
    HWND__* caller = nullptr;
    std::string file;
    UINT command = 0;
    DWORD_PTR data = 0;
    std::string topic;  // the text `data` points to, for commands that pass one
  };
  void RecordHelp(const HelpRecord& record);
  std::vector<HelpRecord> HelpCalls() const;
  void ClearHelpCalls();

 private:
  Automation() = default;

  mutable std::mutex m_mutex;
  std::atomic<ModalBoxHook> m_modalHook{nullptr};
  std::deque<int> m_boxAnswers;
  MessageBoxHandler m_boxHandler;
  std::vector<MessageBoxRecord> m_boxes;
  std::vector<UINT> m_beeps;
  std::vector<HelpRecord> m_help;
};
