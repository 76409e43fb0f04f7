#include "editor/toolkit/SECJpeg.h"

#include "platform/core/Exception.h"

#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <new>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

IMPLEMENT_SERIAL(SECJpeg, SECImage, 0xFFFF)

namespace {

const size_t kBufferSize = 4096;

// A fatal codec error jumps back to the load or save, which then fails; warnings are not shown.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void OutputMessage(j_common_ptr) {}

struct FileSource {
  jpeg_source_mgr pub;
  CFile* file;
  JOCTET* buffer;
  boolean startOfFile;
};

struct FileDestination {
  jpeg_destination_mgr pub;
  CFile* file;
  JOCTET* buffer;
};

// File errors become codec errors, so no exception passes through the codec's frames.
UINT SafeRead(CFile* file, void* buf, UINT n, bool& failed) {
  try {
    return file->Read(buf, n);
  } catch (CException* e) {
    e->Delete();
    failed = true;
    return 0;
  }
}

bool SafeWrite(CFile* file, const void* buf, UINT n) {
  try {
    file->Write(buf, n);
    return true;
  } catch (CException* e) {
    e->Delete();
    return false;
  }
}

void InitSource(j_decompress_ptr cinfo) { reinterpret_cast<FileSource*>(cinfo->src)->startOfFile = TRUE; }

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<FileSource*>(cinfo->src);
  bool failed = false;
  size_t n = SafeRead(src->file, src->buffer, (UINT)kBufferSize, failed);
  if (failed) ERREXIT(cinfo, JERR_FILE_READ);
  if (n == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    n = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  src->startOfFile = FALSE;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  auto* src = cinfo->src;
  if (count <= 0) return;
  while (count > (long)src->bytes_in_buffer) {
    count -= (long)src->bytes_in_buffer;
    FillInputBuffer(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= (size_t)count;
}

void TermSource(j_decompress_ptr) {}

void FileSourceFor(j_decompress_ptr cinfo, CFile* file) {
  if (!cinfo->src) {
    auto* src = static_cast<FileSource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
    cinfo->src = &src->pub;
  }
  auto* src = reinterpret_cast<FileSource*>(cinfo->src);
  src->pub.init_source = InitSource;
  src->pub.fill_input_buffer = FillInputBuffer;
  src->pub.skip_input_data = SkipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = TermSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  src->file = file;
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
  dest->buffer = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBufferSize));
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
  if (!SafeWrite(dest->file, dest->buffer, (UINT)kBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kBufferSize;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
  size_t n = kBufferSize - dest->pub.free_in_buffer;
  bool ok = n == 0 || SafeWrite(dest->file, dest->buffer, (UINT)n);
  if (ok) {
    try {
      dest->file->Flush();
    } catch (CException* e) {
      e->Delete();
      ok = false;
    }
  }
  if (!ok) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void FileDestinationFor(j_compress_ptr cinfo, CFile* file) {
  if (!cinfo->dest)
    cinfo->dest = static_cast<jpeg_destination_mgr*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileDestination)));
  auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  dest->file = file;
}

jpeg_error_mgr* SetUpErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  return &err.pub;
}

}  // namespace

SECJpeg::SECJpeg() : m_bReduceToPalette(m_wDisplayColors != 0) {}

SECJpeg::~SECJpeg() = default;

BOOL SECJpeg::SECoutput_init(jpeg_decompress_struct* cinfo) {
  m_dwWidth = cinfo->image_width;
  m_dwHeight = cinfo->image_height;
  m_wBitsPerPixel = m_wDisplayPaletteDepth ? 8 : 24;
  m_wColors = m_wDisplayColors;
  if (m_wColors >= 1 && m_wColors < 256) m_wColors = 256;
  if (m_wBitsPerPixel == 24) m_wColors = 0;
  if (!AllocHeader(40 + 4u * m_wColors)) return FALSE;
  FillHeader(1);
  m_lpBMI->bmiHeader.biSizeImage = 0;
  m_dwPadWidth = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth);
  ULONGLONG bytes = (ULONGLONG)m_dwPadWidth * m_dwHeight;
  if (cinfo->jpeg_color_space == JCS_GRAYSCALE && m_wBitsPerPixel == 24) bytes *= 3;
  if (bytes > 0xFFFFFFFFull || !AllocBits((size_t)bytes)) return FALSE;
  m_dwPixelBufferSize = (DWORD)bytes;
  m_bIsPadded = FALSE;
  return TRUE;
}

BOOL SECJpeg::Decode(jpeg_decompress_struct* cinfo, CFile* pFile) {
  FileSourceFor(cinfo, pFile);
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK || !SECoutput_init(cinfo)) return FALSE;
  bool grey = cinfo->jpeg_color_space == JCS_GRAYSCALE;
  if (m_wDisplayPaletteDepth && m_bReduceToPalette) {
    cinfo->quantize_colors = TRUE;
    cinfo->desired_number_of_colors = 256;
  } else if (!grey) {
    // The codec orders samples red, green, blue; the image keeps blue, green, red.
    cinfo->out_color_space = JCS_EXT_BGR;
  }
  jpeg_start_decompress(cinfo);
  size_t rowSamples = (size_t)cinfo->output_width * (size_t)cinfo->output_components;
  JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, (JDIMENSION)rowSamples, 1);
  bool expand = grey && m_wBitsPerPixel == 24;
  size_t rowBytes = expand ? rowSamples * 3 : rowSamples;
  // Packed rows top-down, one after another, as far as the block holds them; the image's own
  // layout follows below. Rows that fill their padded row exactly go straight to their place in it.
  bool inPlace = !expand && rowBytes == m_dwPadWidth && m_dwPixelBufferSize == (size_t)m_dwPadWidth * m_dwHeight;
  size_t at = 0;
  while (cinfo->output_scanline < cinfo->output_height) {
    size_t n = std::min(rowBytes, (size_t)m_dwPixelBufferSize - at);
    if (!expand && n == rowBytes) {
      JSAMPROW direct = m_lpSrcBits + (inPlace ? m_dwPixelBufferSize - rowBytes - at : at);
      jpeg_read_scanlines(cinfo, &direct, 1);
    } else {
      jpeg_read_scanlines(cinfo, row, 1);
      BYTE* out = m_lpSrcBits + at;
      if (expand)
        for (size_t i = 0; i < n; ++i) out[i] = row[0][i / 3];
      else
        memcpy(out, row[0], n);
    }
    at += n;
    if (n < rowBytes) break;
  }
  for (int i = 0; i < cinfo->actual_number_of_colors && i < m_wColors; ++i) {
    bool colour = cinfo->out_color_components == 3;
    m_lpRGB[i].rgbBlue = cinfo->colormap[colour ? 2 : 0][i];
    m_lpRGB[i].rgbGreen = cinfo->colormap[colour ? 1 : 0][i];
    m_lpRGB[i].rgbRed = cinfo->colormap[0][i];
  }
  if (cinfo->output_scanline < cinfo->output_height) jpeg_abort_decompress(cinfo);
  else jpeg_finish_decompress(cinfo);
  return inPlace || FlipVert();
}

BOOL SECJpeg::DoLoadImage(CFile* pFile) {
  if (!pFile) return FALSE;
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = SetUpErrors(err);
  jpeg_create_decompress(&cinfo);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    FreeBits();
    FreeHeader();
    m_dwWidth = m_dwHeight = 0;
    return FALSE;
  }
  BOOL ok = FALSE;
  try {
    ok = Decode(&cinfo, pFile);
  } catch (const std::bad_alloc&) {
    // The pixel block the header asks for is not to be had: the load fails, the program goes on.
  }
  jpeg_destroy_decompress(&cinfo);
  if (!ok) {
    FreeBits();
    FreeHeader();
    m_dwWidth = m_dwHeight = 0;
    return FALSE;
  }
  return TRUE;
}

void SECJpeg::ApplyEncoding(jpeg_compress_struct* cinfo) const {
  jpeg_set_quality(cinfo, m_nQuality, TRUE);
  cinfo->smoothing_factor = m_nSmoothingFactor;
  cinfo->optimize_coding = m_bOptimizeCoding;
  cinfo->arith_code = m_bArithmeticCoding;
  cinfo->data_precision = 8;
}

BOOL SECJpeg::Encode(jpeg_compress_struct* cinfo, CFile* pFile) {
  FileDestinationFor(cinfo, pFile);
  cinfo->image_width = m_dwWidth;
  cinfo->image_height = m_dwHeight;
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  ApplyEncoding(cinfo);
  // Rows go in as the image keeps them: blue, green, red.
  cinfo->in_color_space = JCS_EXT_BGR;
  jpeg_start_compress(cinfo, TRUE);
  JSAMPARRAY out = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, m_dwWidth * 3, 1);
  UINT bpp = m_wBitsPerPixel;
  while (cinfo->next_scanline < cinfo->image_height) {
    // Padded rows bottom-up, read in place rather than turned over and back for every save.
    BYTE* src = m_lpSrcBits + (size_t)(m_dwHeight - 1 - cinfo->next_scanline) * m_dwPadWidth;
    if (bpp == 24) {
      jpeg_write_scanlines(cinfo, &src, 1);
      continue;
    }
    BYTE* dst = out[0];
    for (DWORD x = 0; x < m_dwWidth; ++x, dst += 3) {
      if (bpp <= 8) {
        UINT index = bpp == 8 ? src[x] : bpp == 4 ? ((x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4)
                                                  : (src[x >> 3] >> (7 - (x & 7))) & 1;
        const RGBQUAD& q = m_lpRGB[index];
        dst[0] = q.rgbBlue;
        dst[1] = q.rgbGreen;
        dst[2] = q.rgbRed;
      } else if (bpp == 16) {
        UINT v = src[2 * x] | (src[2 * x + 1] << 8);
        auto widen = [](UINT c) { return (BYTE)((c << 3) | (c >> 2)); };
        dst[0] = widen(v & 31);
        dst[1] = widen((v >> 5) & 31);
        dst[2] = widen((v >> 10) & 31);
      } else {
        memcpy(dst, src + (size_t)x * 4, 3);
      }
    }
    jpeg_write_scanlines(cinfo, out, 1);
  }
  jpeg_finish_compress(cinfo);
  return TRUE;
}

BOOL SECJpeg::DoSaveImage(CFile* pFile) {
  UINT bpp = m_wBitsPerPixel;
  if (!pFile || !m_lpSrcBits || m_dwWidth == 0 || m_dwHeight == 0 ||
      (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) || (bpp <= 8 && !m_lpRGB))
    return FALSE;
  PadBits();
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = SetUpErrors(err);
  jpeg_create_compress(&cinfo);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return FALSE;
  }
  Encode(&cinfo, pFile);
  jpeg_destroy_compress(&cinfo);
  return TRUE;
}
