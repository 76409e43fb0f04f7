// A named, nestable group of motion elements, and its text file form.
#pragma once

#include "platform/core/Collections.h"
#include "platform/core/String.h"

#include <cstdio>

class CConfigFileWriter;
class CMC_MotionElem;

class CMC_MotionGroup : public CObArray {
  DECLARE_DYNAMIC(CMC_MotionGroup)

 public:
  explicit CMC_MotionGroup(const char* name = "");
  CMC_MotionGroup(const CMC_MotionGroup& other);
  CMC_MotionGroup& operator=(const CMC_MotionGroup& other);
  ~CMC_MotionGroup() override;

  // Deletes `count` children from `index`; an index past the end throws.
  void DeleteAt(int index, int count = 1);
  void DeleteAll();

  // An enabled element (or enabled sub-group) that failed to translate; `text` gets its error text.
  BOOL HasTranslateError() const;
  BOOL HasTranslateError(CString& text) const;
  int GetFirstElementWithTranslateError() const;
  // Rows of the tree display: expanded sub-groups count their children too.
  int GetChildrenCount() const;
  CString GetSource() const;
  CString GetChildSource(int index) const;
  // Writes the code of the enabled children, each element's followed by CR LF; 0 when a write fails.
  int GenerateSource(FILE* f) const;

  // Group files. A folder file holds only sub-groups at its top level.
  int Load(const char* name, const char* file, int folder);
  // Parses an open file (and closes it); `error` stays empty on success.
  int Load(const char* file, FILE* f, CString& error, int folder);
  // The old file is replaced only by a complete new one; a failure is shown naming the file.
  int Save(const char* file) const;
  // Writes the group at depth 0 through the writer (opened and closed here, not committed).
  int Save(CConfigFileWriter& writer) const;
  int Save(FILE* f, int depth) const;
  static int PutIndent(FILE* f, int depth);

  CString m_strName;
  // For homing and interrupt slots: 1 = user body, 0 = firmware default.
  int m_bEnabled;
  // Read only by the tree display.
  int m_bExpanded;

 private:
  void CopyChildren(const CMC_MotionGroup& other);
};
