#include "platform/core/Automation.h"

#include "platform/core/MessageBox.h"

#include <utility>

Automation& Automation::Instance() {
  // Never destroyed: boxes may be shown from static destructors at exit.
  static Automation* instance = new Automation;
  return *instance;
}

void Automation::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxAnswers.clear();
  m_boxHandler = nullptr;
  m_boxes.clear();
  m_beeps.clear();
  m_help.clear();
}

// ---- Message boxes ---------------------------------------------------------------------------

void Automation::PushMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxAnswers.push_back(answer);
}

void Automation::PushMessageBoxAnswers(std::initializer_list<int> answers) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxAnswers.insert(m_boxAnswers.end(), answers.begin(), answers.end());
}

size_t Automation::PendingMessageBoxAnswers() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_boxAnswers.size();
}

void Automation::SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxHandler = std::move(handler);
}

std::vector<Automation::MessageBoxRecord> Automation::MessageBoxes() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_boxes;
}

void Automation::ClearMessageBoxes() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxes.clear();
}

int Automation::SafeAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDOK;
  }
}

void Automation::SetModalBoxHook(ModalBoxHook hook) { m_modalHook.store(hook); }

int Automation::ShowMessageBox(const char* text, const char* caption, UINT type, UINT helpId, HWND__* owner) {
  if (ModalBoxHook hook = m_modalHook.load()) hook(owner);
  MessageBoxRecord rec;
  rec.text = text ? text : "";
  rec.caption = caption ? caption : "";
  rec.type = type;
  rec.helpId = helpId;

  MessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_boxAnswers.empty()) {
      rec.answer = m_boxAnswers.front();
      m_boxAnswers.pop_front();
      rec.scripted = true;
    } else {
      handler = m_boxHandler;
    }
  }
  // The handler runs unlocked: it may script further boxes or read the log.
  if (!rec.scripted && handler) {
    int answer = handler(rec.text.c_str(), rec.caption.c_str(), type);
    if (answer != 0) {
      rec.answer = answer;
      rec.scripted = true;
    }
  }
  if (!rec.scripted) rec.answer = SafeAnswer(type);

  int answer = rec.answer;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_boxes.push_back(std::move(rec));
  return answer;
}

// ---- Beeps -----------------------------------------------------------------------------------

void Automation::RecordBeep(UINT type) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_beeps.push_back(type);
}

std::vector<UINT> Automation::Beeps() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_beeps;
}

void Automation::ClearBeeps() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_beeps.clear();
}

// ---- Help calls ------------------------------------------------------------------------------

void Automation::RecordHelp(const HelpRecord& record) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_help.push_back(record);
}

std::vector<Automation::HelpRecord> Automation::HelpCalls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_help;
}

void Automation::ClearHelpCalls() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_help.clear();
}
