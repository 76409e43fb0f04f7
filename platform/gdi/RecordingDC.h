// Logs every drawing call of a device context with its arguments (for tests), while the context keeps drawing.
#pragma once

#include "platform/gdi/DC.h"

#include <vector>

class CRecordingDC : public CDCRecorder {
 public:
  // Starts recording the calls made on `dc`; recording stops when this object goes.
  explicit CRecordingDC(CDC& dc) : m_dc(&dc), m_previous(dc.GetRecorder()) { dc.SetRecorder(this); }
  ~CRecordingDC() override {
    if (m_dc->GetRecorder() == this) m_dc->SetRecorder(m_previous);
  }
  CRecordingDC(const CRecordingDC&) = delete;
  CRecordingDC& operator=(const CRecordingDC&) = delete;

  void RecordCall(const CString& call) override {
    m_calls.push_back(call);
    if (m_previous) m_previous->RecordCall(call);
  }
  const std::vector<CString>& Calls() const { return m_calls; }
  // All calls, one a line.
  CString Text() const {
    CString s;
    for (const CString& c : m_calls) {
      s += c;
      s += '\n';
    }
    return s;
  }
  // Calls whose text starts with `prefix` (a name such as "LineTo(").
  int Count(const char* prefix) const {
    int n = 0;
    for (const CString& c : m_calls)
      if (c.Find(prefix) == 0) ++n;
    return n;
  }
  void Clear() { m_calls.clear(); }

 private:
  CDC* m_dc;
  CDCRecorder* m_previous;
  std::vector<CString> m_calls;
};
