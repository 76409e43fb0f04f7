#include "platform/core/Module.h"
#include "platform/gdi/GdiObject.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

TEST(BitmapResources, FoundAlongTheResourceChainUntilTheModuleLeaves) {
  CBitmap missing;
  EXPECT_FALSE(missing.LoadBitmap("ModuleIcon"));
  HMODULE plugin = LoadLibrary((dravonix::test::KernelDir() + "/TestPlugins/testplugin.dll").c_str());
  ASSERT_NE(plugin, nullptr);
  CBitmap icon;
  ASSERT_TRUE(icon.LoadBitmap("ModuleIcon"));
  BITMAP bm{};
  ASSERT_TRUE(icon.GetBitmap(&bm));
  EXPECT_GT(bm.bmWidth, 0);
  EXPECT_GT(bm.bmHeight, 0);
  ASSERT_TRUE(FreeLibrary(plugin));
  CBitmap gone;
  EXPECT_FALSE(gone.LoadBitmap("ModuleIcon"));
}
