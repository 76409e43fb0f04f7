// A list of encoder resolutions (counts per revolution) that a setup page offers and snaps typed values to.
#pragma once

#include <cstdint>

class CResolution {
 public:
  static constexpr int kCapacity = 150;

  // The common resolutions, ascending.
  CResolution();
  CResolution(const CResolution& other) = default;
  CResolution& operator=(const CResolution& other) = default;
  virtual ~CResolution() = default;

  int Count() const { return m_count; }
  int IsSortedAscending() const { return m_sortedAscending; }
  int IsSortedDescending() const { return m_sortedDescending; }

  // The entry; -2 for a negative index, -1 past the list.
  int GetResolution(int index) const;
  // Inserts in the list's order (appends, clearing both orders, when it has none); 0 for a value
  // below 1 or a full list, 1 otherwise (also when the value is there already).
  int AddResolution(int value);
  int RemoveResolution(int index);
  // Replaces an entry; the order flags drop when the new value breaks them.
  int SetResolution(int index, int value);
  // Empties the list; the order flags stay.
  void ResetResolutions();
  void SortAscending();
  void SortDescending();
  // The nearest entry (halfway goes up); -1 for a negative value or an empty list.
  int FindBestResolution(int value);

 private:
  void Sort(bool ascending);

  int32_t m_entries[kCapacity];
  int m_count;
  int m_sortedAscending;
  int m_sortedDescending;
};
