// Printed header and footer tokens: page numbers, the start page numbering, the date with its own
// format, the title text, and text without tokens.
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/PrintInfo.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

TEST(HeaderFooter, TokensOfAPage) {
  CGXProperties props;
  CGXGridParam param;
  param.m_strTitle = "Axis 2";
  CDC dc;
  ASSERT_TRUE(dc.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
  CPrintInfo info;
  info.SetMaxPage(7);
  info.m_nCurPage = 3;
  info.m_rectDraw.SetRect(0, 100, 600, 700);
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  const std::string year = std::to_string(local.tm_year + 1900);

  struct Case {
    int firstPage;
    const char* text;
    std::string expected;
  } cases[] = {
      {-1, "$P/$N", "3/7"},
      {10, "$P/$N", "12/7"},
      {-1, "Year $d{%Y}.", "Year " + year + "."},
      {-1, "$r: $$p", "Axis 2: $3"},
      {-1, "no tokens {here}", "no tokens {here}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    props.m_nFirstPage = c.firstPage;
    CGXStyle line;
    line.SetValue(c.text);
    props.GetFooterData().StoreStyleAt(1, 2, &line, 0);
    props.BuildHeaderFooterText(&dc, &info, nullptr, &param);
    CString out;
    props.SubstituteTokens(out, c.text);
    EXPECT_EQ(out.str(), c.expected);
  }
  // A token without a value slot gives nothing.
  props.m_TokenValues.SetSize(2);
  CString out;
  props.SubstituteTokens(out, "[$N]");
  EXPECT_EQ(out.str(), "[]");
}
