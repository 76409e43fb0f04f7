// The example host's main frame: a custom status bar that shows the kernel's transfer progress.
#pragma once

#include "editor/toolkit/SECCustomStatusBar.h"
#include "platform/ui/FrameWnd.h"

#include <string>

class CHostFrame : public CFrameWnd {
 public:
  // Pictures of the frame go to this folder.
  explicit CHostFrame(std::string outDir) : m_outDir(std::move(outDir)) {}
  BOOL CreateMain();
  SECCustomStatusBar m_wndStatusBar;
  // What the progress messages did: how many arrived, the last percent and end text, the pictures taken.
  int m_nProgress = 0;
  int m_nLastPercent = -1;
  CString m_strEndText;
  bool m_bPictureTaken = false;
  int m_nPicturePercent = -1;

 protected:
  LRESULT OnTransferProgress(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  std::string m_outDir;
};

// Saves a picture of the whole frame through the image classes as a JPEG file.
bool SaveFrameAsJpeg(CWnd* frame, const std::string& path, std::string& detail);
