// The control-panel model: the base of every gadget's item, one panel of items, and the panels of
// a project.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

#include <vector>

class CMC_Setup;
class CMC_CoffFormat;
class CMC_MemoryCache;
class CMC_ControlPanelFrame;

class CControlPanelItem : public CObject {
  DECLARE_DYNCREATE(CControlPanelItem)

 public:
  CControlPanelItem();
  CControlPanelItem(const CControlPanelItem& other);
  ~CControlPanelItem() override;

  // Called by the owning array's deep copy on a newly created object of the source's class.
  virtual CControlPanelItem& operator=(const CControlPanelItem& other);
  virtual int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff);
  virtual void RegisterAddresses(CMC_MemoryCache& cache);
  virtual void UpdateValues(CMC_MemoryCache& cache);
  // The item's fields on its panel-file line: the common ones here, each kind's after them.
  virtual CString SaveConfigLine();
  virtual int LoadConfigLine(CString& line);

  void Disable() { m_bDisabled = 1; }

  int m_bDisabled = 0;
  CRect m_rect;
  int m_bBorder = 1;
};

class CControlPanelItemArray : public CObArrayEx<CControlPanelItem> {
 public:
  explicit CControlPanelItemArray(const char* name = "");
  CControlPanelItemArray(const CControlPanelItemArray& other);
  CControlPanelItemArray& operator=(const CControlPanelItemArray& other);

  // The panel's "cp" file; failures are shown (while errors are) and give FALSE.
  int Load(const char* path);
  int Save(const char* path);
  int LoadFromFile();
  int SaveToFile();
  int EditProperties(CStringArray& otherNames);

  // Locates every item's variables; an item that fails is disabled.
  void LocateVars(CMC_Setup* setup, CMC_CoffFormat* coff);
  int HasValidVars() const;

  CString m_strName;
  int m_nFrameX = -1;
  int m_nFrameY = -1;
  int m_nFrameWidth = -1;
  int m_nFrameHeight = -1;
  CMC_ControlPanelFrame* m_pFrame = nullptr;  // not owned; null while the panel is closed
};

class CControlPanelsArray : public CObArrayEx<CControlPanelItemArray> {
 public:
  CControlPanelsArray() : CObArrayEx<CControlPanelItemArray>(TRUE) {}

  // Every "cp" file of a folder, in the listing's order.
  int LoadFromDirectory(const char* dir);
  int SaveToDirectory(const char* dir);
  // The titles a panel other than `panel` may not take: the other panels' and those of the files
  // the last folder load did not read, which a save would write over.
  CStringArray TitlesInUse(const CControlPanelItemArray* panel) const;

 private:
  // The titles of the files that the last folder load failed on or did not reach.
  std::vector<CString> m_aNotLoaded;
};

// Asks for a panel file in "open" or "save" mode; `path` holds the proposed name and gets the choice.
int AskControlPanelFileName(BOOL open, CString& path, CString* title = nullptr);
// The file name proposed for a panel: its title cut before the first of "#%;/\\", and ".cp".
CString ProposedControlPanelFileName(const CString& name);
