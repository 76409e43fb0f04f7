// Whether a call throws the framework's invalid-argument exception.
#pragma once
#include "platform/core/Exception.h"

namespace dravonix::test {

// Runs f; true when it threw CInvalidArgException (deleted once caught).
template <class F>
bool ThrowsInvalidArg(F f) {
  try {
    f();
  } catch (CInvalidArgException* e) {
    e->Delete();
    return true;
  }
  return false;
}

}  // namespace dravonix::test
