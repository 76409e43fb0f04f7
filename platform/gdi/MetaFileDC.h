// Metafile device contexts: drawing recorded into metafiles (WMF) and enhanced metafiles (EMF).
#pragma once

#include "platform/gdi/DC.h"

#include <vector>

class CMetaFileDC : public CDC {
 public:
  CMetaFileDC() = default;
  ~CMetaFileDC() override;

  // A WMF metafile, in memory when no file name is given.
  BOOL Create(LPCTSTR fileName = nullptr);
  // An enhanced metafile; the frame is in 0.01 mm (computed from the drawing when null); the description
  // is stored as one text.
  BOOL CreateEnhanced(CDC* refDC, LPCTSTR fileName, LPCRECT frame, LPCTSTR description);
  // Ends recording, writes the file and returns the metafile (null on failure).
  HMETAFILE Close();
  HENHMETAFILE CloseEnhanced();
};

HDC CreateMetaFile(LPCSTR fileName);
HMETAFILE CloseMetaFile(HDC dc);
BOOL DeleteMetaFile(HMETAFILE mf);
HDC CreateEnhMetaFile(HDC refDC, LPCSTR fileName, const RECT* frame, LPCSTR description);
HENHMETAFILE CloseEnhMetaFile(HDC dc);
BOOL DeleteEnhMetaFile(HENHMETAFILE mf);
// The bytes of a metafile: the size when `buffer` is null, else the bytes copied.
UINT GetMetaFileBitsEx(HMETAFILE mf, UINT size, void* buffer);
UINT GetEnhMetaFileBits(HENHMETAFILE mf, UINT size, BYTE* buffer);
