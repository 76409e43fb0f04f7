#include "editor/text/SECEdit.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

TEST(SECEditSettings, ComeFromTheApplicationProfile) {
  {
    SECEdit plain;
    EXPECT_EQ(plain.m_nTabSize, 3);  // no application: the defaults
  }
  CWinApp app("EditorSettingsTest");
  app.WriteProfileInt("Text Editor", "Tab size", 5);
  app.WriteProfileString("Text Editor", "Font name", "Liberation Mono");
  SECEdit edit;
  edit.SetProfileSection("Text Editor");
  edit.LoadSettings();
  EXPECT_EQ(edit.m_nTabSize, 5);
  EXPECT_EQ(edit.m_strFontName, "Liberation Mono");
}
