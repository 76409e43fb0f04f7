#include "kernel/params/Resolution.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr int32_t kCommon[] = {
    1,    2,    4,    5,    6,    8,    10,   12,   15,    16,    20,    24,    25,    30,    32,    35,    36,    40,
    45,   50,   56,   60,   64,   70,   72,   80,   84,    90,    100,   120,   125,   127,   128,   142,   150,   160,
    176,  180,  200,  216,  230,  236,  240,  250,  254,   256,   267,   270,   300,   314,   320,   360,   375,   400,
    410,  433,  435,  471,  500,  512,  540,  600,  625,   635,   640,   720,   750,   784,   800,   875,   900,   1000,
    1024, 1068, 1080, 1200, 1250, 1270, 1280, 1400, 1440,  1500,  1600,  1800,  2000,  2048,  2250,  2400,  2500,  2560,
    2880, 3000, 3600, 4000, 4096, 5000, 6000, 8000, 8192,  9000,  10000, 16000, 16384, 18000, 32000, 32768, 36000, 64000,
    65535};
static_assert(sizeof kCommon / sizeof kCommon[0] == 109);

}  // namespace

CResolution::CResolution() : m_entries{}, m_count(109), m_sortedAscending(1), m_sortedDescending(0) {
  std::copy(std::begin(kCommon), std::end(kCommon), m_entries);
}

int CResolution::GetResolution(int index) const {
  if (index < 0) return -2;
  if (index >= m_count) return -1;
  return m_entries[index];
}

int CResolution::AddResolution(int value) {
  if (value < 1 || m_count >= kCapacity) return 0;
  int32_t* end = m_entries + m_count;
  if (std::find(m_entries, end, value) != end) return 1;
  int at = m_count;
  if (m_sortedAscending)
    at = (int)(std::find_if(m_entries, end, [&](int32_t e) { return e >= value; }) - m_entries);
  else if (m_sortedDescending)
    at = (int)(std::find_if(m_entries, end, [&](int32_t e) { return e <= value; }) - m_entries);
  std::move_backward(m_entries + at, end, end + 1);
  m_entries[at] = value;
  ++m_count;
  return 1;
}

int CResolution::RemoveResolution(int index) {
  if (index < 0 || index >= m_count) return 0;
  std::move(m_entries + index + 1, m_entries + m_count, m_entries + index);
  --m_count;
  return 1;
}

int CResolution::SetResolution(int index, int value) {
  if (index < 0 || index >= m_count || value < 1) return 0;
  m_entries[index] = value;
  if (index > 0) {
    if (m_entries[index - 1] > value) m_sortedAscending = 0;
    if (m_entries[index - 1] < value) m_sortedDescending = 0;
  }
  if (index + 1 < m_count) {
    if (value > m_entries[index + 1]) m_sortedAscending = 0;
    if (value < m_entries[index + 1]) m_sortedDescending = 0;
  }
  return 1;
}

void CResolution::ResetResolutions() { m_count = 0; }

void CResolution::Sort(bool ascending) {
  // An exchange sort: the lists are short.
  for (int i = 0; i < m_count; ++i)
    for (int j = i + 1; j < m_count; ++j)
      if (ascending ? m_entries[j] < m_entries[i] : m_entries[j] > m_entries[i]) std::swap(m_entries[i], m_entries[j]);
  m_sortedAscending = ascending ? 1 : 0;
  m_sortedDescending = ascending ? 0 : 1;
}

void CResolution::SortAscending() { Sort(true); }
void CResolution::SortDescending() { Sort(false); }

int CResolution::FindBestResolution(int value) {
  if (value < 0 || m_count == 0) return -1;
  if (!m_sortedAscending) SortAscending();
  if (value <= m_entries[0]) return m_entries[0];
  if (value >= m_entries[m_count - 1]) return m_entries[m_count - 1];
  int j = (int)(std::find_if(m_entries, m_entries + m_count, [&](int32_t e) { return e >= value; }) - m_entries);
  int64_t lower = m_entries[j - 1], upper = m_entries[j];
  return (int)(value < (lower + upper) / 2 ? lower : upper);
}
