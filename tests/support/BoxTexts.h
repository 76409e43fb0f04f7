// The texts of the message boxes shown so far, oldest first.
#pragma once

#include "platform/core/Automation.h"

#include <string>
#include <vector>

namespace dravonix::test {

inline std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
  return texts;
}

}  // namespace dravonix::test
