// CColorFactory: the plots' 28-colour palette and the default colours of plots and curves.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/Types.h"

class CColorFactory {
 public:
  enum tagColorRef16 {
    crWhite = 0,
    crYellow = 1,
    crOrange1 = 2,
    crOrange2 = 3,
    crRed = 4,
    crMagenta = 5,
    crPurple1 = 6,
    crPurple2 = 7,
    crCyan = 8,
    crLime1 = 9,
    crLime2 = 10,
    crGreen = 11,
    crSpring1 = 12,
    crSpring2 = 13,
    crViolet = 14,
    crBlueViolet = 15,
    crBlue = 16,
    crAzure = 17,
    crSky = 18,
    crLightGrey = 19,
    crGrey = 20,
    crDarkPurple = 21,
    crNavy = 22,
    crTeal = 23,
    crDarkGreen = 24,
    crOlive = 25,
    crMaroon = 26,
    crBlack = 27,
    crCount = 28
  };

  static const COLORREF colorTable[crCount];
  // Next palette index of the cycling default curve colours (process-wide).
  static int m_nColorIdx;

  static COLORREF RGB16(tagColorRef16 index) { return colorTable[index]; }
  static COLORREF GetDefBckColor() { return colorTable[crBlack]; }
  static COLORREF GetDefAxisColor() { return colorTable[crGrey]; }
  static COLORREF GetDefTextColor() { return colorTable[crLightGrey]; }
  static COLORREF GetDefOscCursorColor() { return colorTable[crRed]; }
  static int SearchColor(const CDWordArray& used, DWORD color);
  static DWORD GetDefColor(const CDWordArray& used);
};
