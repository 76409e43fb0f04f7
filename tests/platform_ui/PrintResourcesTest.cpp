// The print texts and the printing dialog join the resource chain as soon as a print dialog exists.
#include "platform/core/Resource.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/PrintInfo.h"

#include <gtest/gtest.h>

TEST(PrintResources, InTheChainOnceAPrintDialogExists) {
  CPrintDialog dlg(FALSE);
  struct {
    UINT id;
    const char* text;
  } strings[] = {{61504, "on %1"}, {61507, "Page %u"}, {61508, "Page %u\nPages %u-%u\n"}, {61702, "Could not start print job."}};
  for (auto& s : strings) {
    std::string text;
    ASSERT_TRUE(LoadStringResource(s.id, text)) << s.id;
    EXPECT_EQ(s.text, text);
  }
  EXPECT_NE(nullptr, AfxFindResourceHandle(MAKEINTRESOURCE(30722), RT_DIALOG));
}
