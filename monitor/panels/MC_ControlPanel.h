// The project's control panels: their list, their frames, and the polling of the drive words their
// gadgets watch.
#pragma once

#include "comm/MC_MemoryCache.h"
#include "monitor/panels/ControlPanelItem.h"
#include "platform/core/Object.h"

class CMC_Document;
class CMC_ControlPanelFrame;

class CMC_ControlPanel : public CObject {
 public:
  // Panels in design mode; the layout editor works only while set.
  static int ms_bInCustomize;
  // Panels running and polled in idle time.
  static int ms_bStarted;

  CMC_ControlPanel();
  CMC_ControlPanel(const CMC_ControlPanel& other);
  CMC_ControlPanel& operator=(const CMC_ControlPanel& other);
  ~CMC_ControlPanel() override;

  int FindFrame(int index);
  int FindFrame(CMC_ControlPanelFrame* frame);
  int HasOpenedControlPanels();
  int HasValidOpenedControlPanels();
  // Opens the panel in a frame of the host's panel template; TRUE when it is open.
  int OpenFrame(int index, CMC_Document* doc);
  int CloseFrame(int index);
  int CloseAllFrames();
  int DeleteFrame(int index);
  int RenameFrame(int index, const char* name);
  int CreateEmptyFrame(CMC_Document* doc);
  int CreateFrameFromFile(CMC_Document* doc);

  void BuildMemoryArray(CMC_Document* doc);
  void ClearMemoryArray();
  // One polling step: reads the stale watched words, then hands them to the open panels' items.
  int ReadPoint();
  void InvalidateMemory(unsigned char axis, unsigned short address, int count);
  void SetupWasReplaced(CMC_Document* doc);
  void Reset();

  CMC_MemoryCache m_cache;
  int m_nState = 0;
  CControlPanelsArray m_aPanels;

 private:
  // A new panel, loaded from a file when asked, titled by the user, appended and opened.
  int AddNewPanel(CMC_Document* doc, bool fromFile);
  bool IsValidIndex(int index) const { return index >= 0 && index < m_aPanels.GetSize(); }
};
