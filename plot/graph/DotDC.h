// CDotDC: draws curve lines pixel by pixel so dash patterns keep their look at any pen width, carry
// on across incremental updates and stay inside a clip rectangle.
#pragma once

#include "platform/gdi/GdiDefs.h"

class CDC;
class CXYCurve;

class CDotDC {
 public:
  static const WORD m_aPattern[5];
  static WORD GetPattern(int style);

  CDotDC(HDC dc, WORD pattern, int width, COLORREF color);
  CDotDC(HDC dc, CXYCurve* curve, const RECT& clip);
  ~CDotDC();
  CDotDC(const CDotDC&) = delete;
  CDotDC& operator=(const CDotDC&) = delete;

  void MoveTo(int x, int y);
  void MoveToKeepTrack(int x, int y);
  void LineTo(int x, int y);
  int GetStepCounter() const { return m_nStep; }
  int GetWidth() const { return m_nWidth; }
  // Solid lines on a raster display: steps within one pixel column merge into one vertical run.
  bool IsFastSolid() const { return m_bFastSolid; }

 private:
  void Init();
  bool PatternOn();
  static void LineDDAProc(int x, int y, LPARAM self);
  static void FastLineDDAProc(int x, int y, LPARAM self);
  void FastPixel(int x, int y);
  // Solid lines on raster displays: consecutive steps within one pixel column light one vertical
  // run, drawn once when the line leaves the column.
  void FlushRun(bool continuing);

  int m_nStep = 0;
  int m_x = 0, m_y = 0;
  WORD m_wPattern;
  int m_nWidth;
  COLORREF m_cr;
  HDC m_hDC;
  CDC* m_pDC = nullptr;
  HGDIOBJ m_hOldPen = nullptr;
  HPEN m_hPen = nullptr;
  int m_nSavedDC = 0;
  int m_nTech = 1;
  CXYCurve* m_pCurve = nullptr;
  RECT m_rcClip{0, 0, 32767, 32767};
  int m_bPenDown = 0;
  bool m_bFast = false;  // pixels set one by one, not a wide pen's lines
  bool m_bFastSolid = false;
  bool m_bRun = false;
  int m_nRunLo = 0, m_nRunHi = 0;
};
