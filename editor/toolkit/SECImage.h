// A device-independent bitmap in memory: header, colour table and pixel rows, with image operations,
// conversion to and from bitmaps, drawing, and the steps a file format class fills in.
#pragma once

#include "platform/core/Archive.h"
#include "platform/core/File.h"
#include "platform/core/Object.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

#include <vector>

class SECImage : public CObject {
  DECLARE_SERIAL(SECImage)
 public:
  SECImage();
  ~SECImage() override;
  SECImage(const SECImage&) = delete;
  SECImage& operator=(const SECImage&) = delete;

  void Serialize(CArchive& ar) override;

  virtual BOOL LoadImage(LPCSTR lpszFileName);
  virtual BOOL LoadImage(CFile* pFile);
  virtual BOOL SaveImage(LPCSTR lpszFileName);
  virtual BOOL SaveImage(CFile* pFile);
  virtual BOOL PreLoadImage();
  virtual BOOL PostLoadImage();
  virtual BOOL PreSaveImage();
  virtual BOOL PostSaveImage();
  virtual BOOL DoSaveImage(CFile* pFile);
  virtual BOOL DoLoadImage(CFile* pFile);
  virtual void OnCleanupAllocFiles();

  void ContrastImage(short nAmount);
  BOOL Crop(LONG nLeft, LONG nTop, LONG nWidth, LONG nHeight);
  BOOL FlipHorz();
  BOOL FlipVert();
  BOOL Rotate90(int bClockwise);
  BOOL CopyImage(SECImage* pSource);
  BOOL ConvertImage(SECImage* pSource);
  BOOL CreateFromBitmap(CDC* pDC, CBitmap* pBitmap);
  CBitmap* MakeBitmap(CDC* pDC);
  CBitmap* MakeBitmap(CDC* pDC, LPCSTR lpszFileName);
  BOOL CreatePalette();
  BOOL PadBits();
  BOOL UnPadBits();
  int StretchDIBits(CDC* pDC, int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc, int cxSrc, int cySrc,
                    const void* lpBits, BITMAPINFO* lpBMI, UINT nColorUse, DWORD dwRop);

  DWORD dwGetWidth() const { return m_dwWidth; }
  DWORD dwGetHeight() const { return m_dwHeight; }
  WORD NumColors() const;
  DWORD NumBytes() const;
  static DWORD CalcBytesPerLine(DWORD dwBitsPerPixel, DWORD dwWidth);
  static DWORD CalcPadding(DWORD dwBitsPerPixel, DWORD dwWidth);
  static DWORD LastByte(DWORD dwBitsPerPixel, DWORD dwWidth);
  // One colour's contrast step (k = +1 or -1), on its blue, green and red bytes.
  static void ContrastPixel(BYTE& b, BYTE& g, BYTE& r, int k);

  UINT m_wBitsPerPixel;
  UINT m_wDisplayPaletteDepth;
  UINT m_wDisplayPlanes;
  BOOL m_bIsPadded = FALSE;
  DWORD m_dwPadWidth = 0;
  DWORD m_dwWidth = 0;
  DWORD m_dwHeight = 0;
  WORD m_wColors = 0;
  WORD m_wDisplayColors = 0;
  CPalette* m_pPalette = nullptr;
  CFile* m_pFile = nullptr;
  HGLOBAL m_hImage = nullptr;  // pixel rows, bottom-up
  BYTE* m_lpSrcBits = nullptr;
  HGLOBAL m_hDIB = nullptr;  // information header and colour table
  BITMAPINFO* m_lpBMI = nullptr;
  RGBQUAD* m_lpRGB = nullptr;
  BOOL m_bHalftone = FALSE;

 protected:
  BOOL InitCache(DWORD dwSize, int nMode);
  BOOL LoadCache();
  DWORD GetCache(void* lpDest, DWORD dwCount);
  DWORD PutCache(const void* lpSrc, DWORD dwCount);
  BOOL FlushCache();
  void FreeCache();
  BOOL SECLoadDib(CFile* pFile);
  BOOL SECLoadDibArchive(CArchive& ar);

  // Allocates zeroed pixel rows / a header block with room for `colours` entries (replacing the old).
  BOOL AllocBits(size_t bytes);
  BOOL AllocHeader(size_t bytes);
  void FreeBits();
  void FreeHeader();
  // Fills the header for the current size and depth (image size = row size x height).
  void FillHeader(WORD planes);

  DWORD m_dwCacheSize = 0;
  DWORD m_dwCacheFill = 0;
  DWORD m_dwCachePos = 0;
  std::vector<CFile*> m_createdFiles;
  HGLOBAL m_hCache = nullptr;

 private:
  // Reads a bitmap file image (file header already in `fh`) through `read`, which fills a buffer.
  template <class Reader>
  BOOL LoadDib(const BYTE fh[14], Reader read, ULONGLONG available);
  template <class Reader>
  BOOL ReadBits(Reader read, size_t bytes, bool lengthUnknown);
  void Empty();
};
