// The rich edit control's document: text with paragraph marks, one character format per character
// and one paragraph format per paragraph mark, and its RTF reader and writer.
#pragma once

#include "platform/core/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct RichCharFormat {
  std::string face = "MS Sans Serif";
  int32_t height = 160;     // twips
  int32_t offset = 0;       // twips
  uint32_t effects = 0x40000000u;  // CFE_ bits; automatic colour by default
  uint32_t color = 0;       // COLORREF, used without CFE_AUTOCOLOR
  uint8_t charset = 0;
  uint8_t pitch = 0;        // pitch and family
  bool operator==(const RichCharFormat&) const = default;
};

struct RichParaFormat {
  uint16_t align = 1;  // PFA_
  bool operator==(const RichParaFormat&) const = default;
};

// Characters: '\r' ends a paragraph, '\v' breaks a line, '\t' tabs; other bytes are text in the
// Windows-1252 code page. The last paragraph has no mark: its format is `endPf`.
class RichTextDoc {
 public:
  std::string text;
  std::vector<uint32_t> cf;  // per character, into `cfs`
  std::vector<uint32_t> pf;  // per character, into `pfs`; read at paragraph marks only
  uint32_t endPf = 0;
  std::vector<RichCharFormat> cfs{RichCharFormat{}};
  std::vector<RichParaFormat> pfs{RichParaFormat{}};

  size_t size() const { return text.size(); }
  uint32_t InternCf(const RichCharFormat& f);
  uint32_t InternPf(const RichParaFormat& f);
  const RichCharFormat& CfAt(size_t i) const { return cfs[cf[i]]; }
  size_t ParaStart(size_t pos) const;
  size_t ParaEnd(size_t pos) const;  // index of the mark, or size()
  uint32_t ParaFormatOf(size_t pos) const;
  void SetParaFormatOf(size_t pos, uint32_t pfi);

  // Replaces [a, b) with plain text in one character format; new marks take the format of the
  // paragraph they split.
  void Replace(size_t a, size_t b, const std::string& s, uint32_t cfi);
  // Replaces [a, b) with another document's text and formats; its last paragraph joins the
  // paragraph at b.
  void Replace(size_t a, size_t b, const RichTextDoc& other);
  void Clear();

  // RTF of [a, b): header with font and colour tables, then the runs.
  std::string WriteRtf(size_t a, size_t b) const;
  // Text of [a, b) with "\r\n" for marks (crlf) or as stored.
  std::string Text(size_t a, size_t b, bool crlf) const;
};

// Reads RTF (a braced group; "\rtf1" is optional) into `out`, starting from the given character
// format; false when the input is not a group. Unknown words and "{\*" groups are skipped; text
// after the outer group ends is ignored.
bool ReadRtf(const std::string& in, const RichCharFormat& base, RichTextDoc& out);
// Plain text: "\r\n" and "\n" become marks.
void ReadPlainText(const std::string& in, const RichCharFormat& base, RichTextDoc& out);

}  // namespace ui
