// One electronic cam: slave values at equally spaced master positions, with its word image and text form.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

class CConfigFileWriter;

class CMC_CAM : public CObject {
  DECLARE_DYNAMIC(CMC_CAM)
 public:
  static constexpr int kMaxStep = 7;
  static constexpr int kMaxPoints = 8192;

  // An empty name, step 0, start 0 and one point of value 0.
  CMC_CAM();
  CMC_CAM(const CMC_CAM& other);
  CMC_CAM& operator=(const CMC_CAM& other);

  const CString& GetName() const { return m_strName; }
  void SetName(const char* name) { m_strName = name; }
  // The exponent k: master positions are 2^k apart.
  int GetStep() const { return m_nStep; }
  void SetStep(int k) { m_nStep = k; }
  LONG GetMasterStart() const { return m_lMasterStart; }
  void SetMasterStart(LONG start) { m_lMasterStart = start; }
  int GetPointsCount() const { return (int)m_points.GetSize(); }
  LONG GetPoint(int i) const { return m_points[i]; }
  void SetPoints(const LONG* values, int count);
  CArray<LONG, LONG>& GetPoints() { return m_points; }

  // k 0..7 and 1..8192 points.
  bool IsValid() const;
  // 2N + 6 for a valid table, else 0.
  int GetCAMSizeInWords() const;
  // The sum word of the image as written.
  WORD GetChecksum() const;
  // Needs room for GetCAMSizeInWords words; writes nothing for an invalid table.
  void WriteToBuffer(WORD* buffer) const;
  // The image size read, 0 when the words hold no valid image.
  int ReadFromBuffer(const WORD* buffer, int count);

  // Paths relative to the kernel folder unless absolute; 1 on success.
  int Load(const char* path);
  // The old file is replaced only by a complete new one.
  int Save(const char* path) const;
  // The image written through the writer (opened and closed here, not committed).
  int Save(CConfigFileWriter& writer) const;
  int Import(const char* path);
  int Export(const char* path) const;

 private:
  CString m_strName;
  int m_nStep = 0;
  LONG m_lMasterStart = 0;
  CArray<LONG, LONG> m_points;
};
