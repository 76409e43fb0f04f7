// The document base the host derives from: the getters through which the kernel reaches the
// host's model objects, the kernel's idle work, and the start of the memory view.
#pragma once

#include "platform/core/Types.h"
#include "platform/ui/Document.h"

class CView;
class CMC_Setup;
class CMC_CoffFormat;
class CMC_Motion;
class CMC_ControlPanel;
class CMC_SingleAxisLogger;
class CMC_MultiAxisLogger;
class CMC_ScopeLogger;
class CMC_AxisData;
class CTextFileDoc;

class CMC_Document : public CDocument {
  DECLARE_DYNCREATE(CMC_Document)

 public:
  // Update hints the kernel sends to the views from its idle work.
  enum {
    HINT_LOGGER_POINT_READ = -97,
    HINT_LOGGER_UPLOAD_ENDED = -96,
    HINT_PANELS_POLLED = -79,
    HINT_PANELS_STOPPED = -78,
  };

  ~CMC_Document() override;

  virtual CMC_Setup* GetSetup() { return nullptr; }
  virtual CMC_SingleAxisLogger* GetLogger() { return nullptr; }
  virtual CMC_ScopeLogger* GetScopeLogger() { return nullptr; }
  virtual CMC_CoffFormat* GetCoffFile() { return nullptr; }
  virtual CTextFileDoc* GetInterpreterDoc() { return nullptr; }
  virtual CMC_ControlPanel* GetControlPanel() { return nullptr; }
  virtual CMC_Motion* GetMotion() { return nullptr; }
  virtual BYTE GetGlobalSelectedAxis() { return 0; }
  virtual void OnChangedInView(CView* pView, UINT hint);
  virtual CMC_MultiAxisLogger* GetMultiAxisLogger() { return nullptr; }
  virtual int GetAxisCount() { return -1; }
  virtual int GetSelectedAxisIdx() { return -1; }
  virtual CMC_AxisData* GetAxisData(int index);
  virtual CMC_AxisData* FindAxisData(const char* name);
  // One step of the kernel's periodic work; non-zero when another idle pass is wanted.
  virtual BOOL OnIdle(LONG& count);
  using CDocument::OnIdle;
  // Text still being typed in a motion view or the CAM editor is taken into the program first: it
  // would otherwise come only as its frame is destroyed, after the question whether to save.
  BOOL SaveModified() override;
  BOOL DoSave(LPCSTR lpszPathName, BOOL bReplace = TRUE) override;

  int GetAxisDataIdx(CMC_AxisData* axis);

  void SetMemoryViewStartAddress(WORD address) { m_wMemoryViewStartAddress = address; }
  // The stored start, replaced by the setup's default when it lies outside the setup's memory.
  WORD GetMemoryViewStartAddress();

 protected:
  CMC_Document();

 private:
  // FALSE when a view refused what was typed.
  BOOL EndEditsInViews();

  WORD m_wMemoryViewStartAddress = 0;
};
