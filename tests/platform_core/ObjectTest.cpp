#include "platform/core/Exception.h"

#include <gtest/gtest.h>

namespace {
class CShape : public CObject {
  DECLARE_DYNCREATE(CShape)
};
class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CShape, CObject)
IMPLEMENT_DYNCREATE(CCircle, CShape)
}  // namespace

TEST(RuntimeClass, KindsAndCreationByName) {
  CObject* o = CRuntimeClass::CreateObject("CCircle");
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(CShape().IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_STREQ(o->GetRuntimeClass()->m_lpszClassName, "CCircle");
  delete o;
  EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
}

TEST(Exceptions, ThrownAsPointersCarryTheirCause) {
  try {
    AfxThrowFileException(CFileException::fileNotFound, 2, "a.cfg");
  } catch (CException* e) {
    auto* fe = DYNAMIC_DOWNCAST(CFileException, e);
    ASSERT_NE(fe, nullptr);
    char msg[100];
    EXPECT_TRUE(fe->GetErrorMessage(msg, sizeof msg));
    EXPECT_STREQ(msg, "a.cfg was not found.");
    e->Delete();
  }
}
