// The JPEG file format of the image class, through the system's libjpeg.
#pragma once

#include "editor/toolkit/SECImage.h"

struct jpeg_decompress_struct;
struct jpeg_compress_struct;

class SECJpeg : public SECImage {
  DECLARE_SERIAL(SECJpeg)
 public:
  SECJpeg();
  ~SECJpeg() override;

  BOOL DoLoadImage(CFile* pFile) override;
  BOOL DoSaveImage(CFile* pFile) override;

  DWORD m_dwPixelBufferSize = 0;
  BOOL m_bReduceToPalette;
  int m_nQuality = 75;
  int m_nSmoothingFactor = 0;
  BYTE m_bOptimizeCoding = 0;
  BYTE m_bArithmeticCoding = 0;

 private:
  BOOL SECoutput_init(jpeg_decompress_struct* cinfo);
  // The codec's part of a load or save: no object with a destructor lives in them.
  BOOL Decode(jpeg_decompress_struct* cinfo, CFile* pFile);
  BOOL Encode(jpeg_compress_struct* cinfo, CFile* pFile);
  void ApplyEncoding(jpeg_compress_struct* cinfo) const;
};
