#include <gtest/gtest.h>

#include "kernel/KernelGlobals.h"
#include "motion/MC_Motion.h"
#include "platform/core/Automation.h"
#include "platform/core/Exception.h"

// Reaches the parameter-string parsers, which need no setup.
struct CMC_MotionTestAccess {
  static int ReadAll(const char* text, CStringArray& names, CStringArray& units, CStringArray& values) {
    return CMC_Motion::ParseAllElemParameters(text, names, units, values);
  }
  static int ReadOne(const char* text, const char* name, CString& unit, CString& value) {
    return CMC_Motion::ParseElemParameter(text, name, unit, value);
  }
};

namespace {

CString Add(const char* name, const char* unit, const char* value, CString start = CString()) {
  CMC_Motion::AddToElemParameters(start, name, unit, value);
  return start;
}

// ---- Writing parameter strings ------------------------------------------------------------------

TEST(ElemParameters, WritingChoosesTheBrackets) {
  EXPECT_EQ(Add("A", nullptr, "1"), "A=1");
  EXPECT_EQ(Add("A", nullptr, "x y"), "A={x y}");
  EXPECT_EQ(Add("A", nullptr, "{x} y"), "A=({x} y)");
  EXPECT_EQ(Add("A", nullptr, "x}"), "A=x}");  // no blank: bare even with a brace
  EXPECT_EQ(Add("A", nullptr, "x\ty"), "A=x\ty");
  EXPECT_EQ(Add("A", nullptr, ""), "A=");
  EXPECT_EQ(Add("B", "mm", "2", "A=1"), "A=1 B[mm]=2");
}

TEST(ElemParameters, InternalUnitsAndNullArgumentsAreNotWritten) {
  EXPECT_EQ(Add("A", "\\mm", "1"), "A=1");
  EXPECT_EQ(Add("A", "", "1"), "A=1");
  EXPECT_EQ(Add(nullptr, "mm", "1", "X=1"), "X=1");
  EXPECT_EQ(Add("A", "mm", nullptr, "X=1"), "X=1");
}

// ---- Reading all items --------------------------------------------------------------------------

TEST(ElemParameters, ReadAllSplitsItemsWithUnits) {
  CStringArray n, u, v;
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("X=1 Y[mm]={2 3}", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(n[0], "X");
  EXPECT_EQ(n[1], "Y");
  EXPECT_EQ(u[0], "");
  EXPECT_EQ(u[1], "mm");
  EXPECT_EQ(v[0], "1");
  EXPECT_EQ(v[1], "2 3");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("A=(x y)B=2", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(n[1], "B");
  EXPECT_EQ(v[0], "x y");
  EXPECT_EQ(v[1], "2");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(" \tA= \r\nB_2=\n", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(v[0], "");
  EXPECT_EQ(v[1], "");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("", n, u, v), 1);
  EXPECT_EQ(n.GetSize(), 0);
}

TEST(ElemParameters, ReadAllRefusesBadItemsAndEmptiesTheArrays) {
  CStringArray n, u, v;
  for (const char* bad : {"X", "A[]=1", "A=(1", "A={1", "=1", "A[mm]", "A[mm", "A[mm]:1", "A:1", "A=1 -B=2"}) {
    n.Add("stale");
    EXPECT_EQ(CMC_MotionTestAccess::ReadAll(bad, n, u, v), 0) << bad;
  }
  // A value with a TAB but no blank is written bare and read back up to the TAB.
  CString written = Add("A", nullptr, "x\ty");
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(written, n, u, v), 0);  // "y" alone is no item
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(written + "=1", n, u, v), 1);
  EXPECT_EQ(v[0], "x");
}

// ---- Reading one item ---------------------------------------------------------------------------

TEST(ElemParameters, ReadOneFindsTheNameWithoutCase) {
  CString unit, value;
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("Pos=3 speed[mm/s]=5", "SPEED", unit, value), 1);
  EXPECT_EQ(unit, "mm/s");
  EXPECT_EQ(value, "5");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("B=(1 2", "B", unit, value), 1);
  EXPECT_EQ(value, "1 2");
  EXPECT_EQ(unit, "");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("XA=1\tA={2 3", "A", unit, value), 1);
  EXPECT_EQ(value, "2 3");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("A=1 X=", "x", unit, value), 1);
  EXPECT_EQ(value, "");
}

TEST(ElemParameters, ReadOneSkipsNamesInsideBracketedValues) {
  CString unit, value;
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a={x b=1} b=2", "b", unit, value), 1);
  EXPECT_EQ(value, "2");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a=(x b=1) b=3", "b", unit, value), 1);
  EXPECT_EQ(value, "3");
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("a={x b=1}", "b", unit, value), 0);
  // A bare value holding "=(" does not hide the next item.
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a=x=(y b=4", "b", unit, value), 1);
  EXPECT_EQ(value, "4");
}

TEST(ElemParameters, ReadOneFailuresGiveTheMessageText) {
  CString unit, value;
  const CString missing = "Motion parameter 'Q' does not exist or it has invalid value/unit!";
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", "Q", unit, value), 0);
  EXPECT_EQ(value, missing);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("", "Q", unit, value), 0);
  EXPECT_EQ(value, missing);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", "", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", nullptr, unit, value), 0);
  // No blank before B: glued items are not found by name.
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=(x y)B=2", "B", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[]=1", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[mm=1", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[mm]1", "Q", unit, value), 0);
  EXPECT_EQ(unit, "mm");  // a unit read before the failure stays
  EXPECT_EQ(value, missing);
}

// ---- Elements and groups ------------------------------------------------------------------------

CMC_MotionElem* Elem(const char* type, const char* code, int enabled = 1, int error = 0) {
  auto* e = new CMC_MotionElem;
  e->m_strType = type;
  e->m_strParameters = "P=1";
  e->m_strCode = code;
  e->m_bEnabled = enabled;
  e->m_bTranslateError = error;
  return e;
}

class CForeign : public CObject {};

TEST(MotionGroup, NewObjectsAndRunTimeClasses) {
  CMC_MotionElem e;
  EXPECT_EQ(e.m_bEnabled, 1);
  EXPECT_EQ(e.m_bTranslateError, 0);
  EXPECT_TRUE(e.m_strType.IsEmpty());
  CMC_MotionGroup g("G");
  EXPECT_EQ(g.m_strName, "G");
  EXPECT_EQ(g.m_bEnabled, 1);
  EXPECT_EQ(g.m_bExpanded, 0);
  EXPECT_STREQ(e.GetRuntimeClass()->m_lpszClassName, "CMC_MotionElem");
  EXPECT_STREQ(g.GetRuntimeClass()->m_lpszClassName, "CMC_MotionGroup");
  EXPECT_TRUE(g.IsKindOf(RUNTIME_CLASS(CObArray)));
}

TEST(MotionGroup, CopiesAreDeepAndSkipForeignChildren) {
  CMC_MotionGroup g("outer");
  g.m_bExpanded = 1;
  g.Add(Elem("Move", "a"));
  auto* inner = new CMC_MotionGroup("inner");
  inner->m_bEnabled = 0;
  inner->Add(Elem("Wait", "b", 0, 1));
  g.Add(inner);
  g.Add(new CForeign);

  CMC_MotionGroup copy(g);
  ASSERT_EQ(copy.GetSize(), 2);
  EXPECT_EQ(copy.m_strName, "outer");
  EXPECT_EQ(copy.m_bExpanded, 1);
  auto* ce = DYNAMIC_DOWNCAST(CMC_MotionElem, copy.GetAt(0));
  auto* cg = DYNAMIC_DOWNCAST(CMC_MotionGroup, copy.GetAt(1));
  ASSERT_TRUE(ce && cg);
  EXPECT_NE(ce, g.GetAt(0));
  EXPECT_EQ(ce->m_strType, "Move");
  EXPECT_EQ(cg->m_bEnabled, 0);
  auto* ie = DYNAMIC_DOWNCAST(CMC_MotionElem, cg->GetAt(0));
  ASSERT_TRUE(ie);
  EXPECT_EQ(ie->m_bTranslateError, 1);
  EXPECT_EQ(ie->m_bEnabled, 0);
  EXPECT_EQ(ie->m_strCode, "b");

  // Assignment replaces what the target held.
  CMC_MotionGroup target("t");
  target.Add(Elem("Old", ""));
  target = *cg;
  EXPECT_EQ(target.m_strName, "inner");
  ASSERT_EQ(target.GetSize(), 1);
  EXPECT_EQ(static_cast<CMC_MotionElem*>(target.GetAt(0))->m_strType, "Wait");
  target = target;
  EXPECT_EQ(target.GetSize(), 1);
}

TEST(MotionGroup, DeleteAtChecksItsArguments) {
  CMC_MotionGroup g;
  for (int i = 0; i < 4; ++i) g.Add(Elem("E", ""));
  g.DeleteAt(-1, 2);
  g.DeleteAt(1, 0);
  EXPECT_EQ(g.GetSize(), 4);
  g.DeleteAt(1, 2);
  EXPECT_EQ(g.GetSize(), 2);
  bool thrown = false;
  try {
    g.DeleteAt(2, 1);
  } catch (CInvalidArgException* e) {
    e->Delete();
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(g.GetSize(), 2);
  g.DeleteAll();
  EXPECT_EQ(g.GetSize(), 0);
}

TEST(MotionGroup, TranslateErrorsCountOnlyEnabledChildren) {
  CMC_MotionGroup g;
  g.Add(Elem("A", "bad but disabled", 0, 1));
  auto* off = new CMC_MotionGroup("off");
  off->m_bEnabled = 0;
  off->Add(Elem("B", "bad in a disabled group", 1, 1));
  g.Add(off);
  EXPECT_FALSE(g.HasTranslateError());
  EXPECT_EQ(g.GetFirstElementWithTranslateError(), -1);

  auto* on = new CMC_MotionGroup("on");
  on->Add(Elem("C", "ok"));
  on->Add(Elem("D", "the error text", 1, 1));
  g.Add(on);
  CString text;
  EXPECT_TRUE(g.HasTranslateError(text));
  EXPECT_EQ(text, "the error text");
  EXPECT_EQ(g.GetFirstElementWithTranslateError(), 2);
}

TEST(MotionGroup, SourcesAndRowCounts) {
  CMC_MotionGroup g;
  g.Add(Elem("A", "a;"));
  g.Add(Elem("B", "off;", 0));
  auto* sub = new CMC_MotionGroup("sub");
  sub->Add(Elem("C", "c;"));
  sub->Add(Elem("D", "d;"));
  g.Add(sub);
  auto* offGroup = new CMC_MotionGroup("off");
  offGroup->m_bEnabled = 0;
  offGroup->Add(Elem("E", "e;"));
  g.Add(offGroup);
  EXPECT_EQ(g.GetSource(), "a;c;d;");
  EXPECT_EQ(g.GetChildSource(2), "c;d;");
  EXPECT_EQ(g.GetChildSource(1), "");
  EXPECT_EQ(g.GetChildSource(4), "");
  EXPECT_EQ(g.GetChildSource(-1), "");
  EXPECT_EQ(g.GetChildrenCount(), 4);
  sub->m_bExpanded = 1;
  EXPECT_EQ(g.GetChildrenCount(), 6);
}

}  // namespace
