// The motion module toolbar: one button per motion module of a program, grouped by class, whose
// command (10100 + module index) makes a new element of that module in the motion view.
#pragma once

#include "platform/core/Collections.h"
#include "platform/core/String.h"
#include "platform/ui/ControlBar.h"

#include <vector>

class CFrameWnd;
class CMC_Motion;

class CMC_MotionToolBar : public CToolBar {
  DECLARE_DYNAMIC(CMC_MotionToolBar)

 public:
  enum : UINT { ID_FIRST_MODULE = 10100, ID_LAST_MODULE = 10199, ID_BAR = 0xE800 };

  CMC_MotionToolBar() = default;

  BOOL Create(CFrameWnd* pParentWnd, CMC_Motion* pMotion);
  // The tool tip of a module's button; FALSE leaves the request to the framework.
  BOOL OnToolTipNotify(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

  // The button list for classes of so many modules: a separator (ID_SEPARATOR) between classes,
  // one id per module counting from 10100.
  static void BuildButtonIds(const std::vector<int>& modulesPerClass, CUIntArray& ids);
  // Copies the text into a single-byte or wide tool-tip request, cut to 79 characters.
  static void SetToolTipText(NMHDR* pNMHDR, const CString& text);

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 private:
  CMC_Motion* m_pMotion = nullptr;

  DECLARE_MESSAGE_MAP()
};
