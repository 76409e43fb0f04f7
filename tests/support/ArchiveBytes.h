// Archive round trips in memory for tests: what a store writes, and what a load throws.
#pragma once

#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"

#include <functional>
#include <vector>

namespace dravonix::test {

using Bytes = std::vector<BYTE>;

// The bytes that `write` stores.
inline Bytes StoreBytes(const std::function<void(CArchive&)>& write) {
  CMemFile f;
  {
    CArchive ar(&f, CArchive::store);
    write(ar);
    ar.Close();
  }
  Bytes out((size_t)f.GetLength());
  f.SeekToBegin();
  if (!out.empty()) f.Read(out.data(), (UINT)out.size());
  return out;
}

// Loads from a copy of the bytes; returns the exception `read` threw (the caller deletes it), or null.
inline CException* LoadBytes(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  Bytes copy = bytes;
  CMemFile f(copy.empty() ? nullptr : copy.data(), (UINT)copy.size());
  CArchive ar(&f, CArchive::load);
  try {
    read(ar);
  } catch (CException* e) {
    return e;
  }
  return nullptr;
}

// The archive exception's cause of a load, or -1 when none was thrown.
inline int LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  CException* e = LoadBytes(bytes, read);
  if (!e) return -1;
  auto* ae = DYNAMIC_DOWNCAST(CArchiveException, e);
  int cause = ae ? ae->m_cause : CArchiveException::genericException;
  e->Delete();
  return cause;
}

}  // namespace dravonix::test
