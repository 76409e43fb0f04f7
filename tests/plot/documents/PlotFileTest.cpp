#include "kernel/document/KernelGlobals.h"
#include "platform/core/Archive.h"
#include "platform/core/Automation.h"
#include "platform/core/File.h"
#include "plot/documents/GraphDocument.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include "tests/support/ArchiveBytes.h"

#include <functional>
#include <random>
#include <vector>

namespace {

using dravonix::test::Bytes;

Bytes Store(const std::function<void(CArchive&)>& write) { return dravonix::test::StoreBytes(write); }

// Loads; returns the class of the exception thrown, or null.
CRuntimeClass* Load(Bytes bytes, const std::function<void(CArchive&)>& read) {
  CException* e = dravonix::test::LoadBytes(bytes, read);
  if (!e) return nullptr;
  CRuntimeClass* c = e->GetRuntimeClass();
  e->Delete();
  return c;
}

struct PlotFile {
  CCurveArray curves;
  CGraphDocument doc;
  void Serialize(CArchive& ar) {
    curves.Serialize(ar);
    doc.Serialize(ar);
    if (ar.IsLoading()) doc.SetSource(&curves, nullptr);
  }
};

void Fill(PlotFile& f) {
  std::vector<double> t, a, b;
  for (int i = 0; i < 70000; ++i) t.push_back(i * 0.001), a.push_back(std::sin(i * 0.01));
  b = {3, 1e100, 1.2345e100, -7.25};
  CCurve* c = new CCurve;
  c->InitCurve("time", "s", "s", 0, 1, 1, 0, (int)t.size(), t.data());
  f.curves.Add(c);
  c = new CCurve;
  c->InitCurve("speed \xB5m/s", "\\m/s", "m/s", 0.5, 65536.0, 0.25, -1.5, (int)a.size(), a.data());
  c->SetUpperValid(60000);
  f.curves.Add(c);
  c = new CCurve;
  c->InitCurve("short", "", "", 0, -2, 1, 0, (int)b.size(), b.data());
  f.curves.Add(c);
  c = new CCurve;  // empty
  c->m_strName = "empty";
  f.curves.Add(c);

  f.doc.m_strTitle = "Logger run";
  f.doc.m_nArrange = CGraphDocument::arrangeHorizontal;
  CGraphFilter* p = new CGraphFilter(nullptr, "Speed", "left axis", "right axis");
  p->m_bGrid = 0;
  p->m_crBackground = 0x101010;
  CXYCurve* xy = new CXYCurve;
  xy->m_nXCurve = 0, xy->m_nYCurve = 1, xy->m_nAxis = 1, xy->m_nPenStyle = 2, xy->m_nDrawMode = 2;
  xy->m_crColor = 0xFFC000, xy->m_nWidth = 3, xy->m_strXUnit = "ms", xy->m_strYUnit = "\\m/s";
  p->Add(xy);
  xy = new CXYCurve;
  xy->m_nXCurve = 0, xy->m_nYCurve = 2, xy->m_nAxis = 2, xy->m_nPenStyle = -1, xy->m_nDrawMode = 1;
  xy->m_nWidth = 1;
  p->Add(xy);
  f.doc.Add(p);
  p = new CGraphFilter(nullptr, "Scope");
  p->m_bOscMode = 1;
  p->m_nDivisions = 8;
  p->m_markers.Add(0.5);
  p->m_markers.Add(-1.25);
  p->m_crCursor = 0x00FF00;
  p->m_dXMin = -4, p->m_dXMax = 4, p->m_dY1Min = -3, p->m_dY1Max = 3, p->m_dY2Min = -2, p->m_dY2Max = 2;
  xy = new CXYCurve;
  xy->m_nXCurve = 0, xy->m_nYCurve = 3;
  p->Add(xy);
  f.doc.Add(p);
  f.doc.Add(new CGraphFilter);  // an empty plot
}

void ExpectEqual(const CCurve& a, const CCurve& b) {
  EXPECT_EQ(a.m_strName, b.m_strName);
  EXPECT_EQ(a.m_strDisplayUnit, b.m_strDisplayUnit);
  EXPECT_EQ(a.m_strStoredUnit, b.m_strStoredUnit);
  EXPECT_EQ(a.m_dOffset, b.m_dOffset);
  EXPECT_EQ(a.m_dFactor, b.m_dFactor);
  EXPECT_EQ(a.m_dOscScale, b.m_dOscScale);
  EXPECT_EQ(a.m_dOscOffset, b.m_dOscOffset);
  EXPECT_EQ(a.GetUpperValid(), b.GetUpperValid());
  EXPECT_EQ(a.GetMonotone(), b.GetMonotone());
  ASSERT_EQ(a.GetSize(), b.GetSize());
  for (int i = 0; i < a.GetSize(); ++i)
    if (a[i] != b[i]) ADD_FAILURE() << a.m_strName.GetString() << " differs at " << i;
}

void ExpectEqual(const CGraphFilter& a, const CGraphFilter& b) {
  EXPECT_EQ(a.m_strTitle, b.m_strTitle);
  EXPECT_EQ(a.m_strLabel1, b.m_strLabel1);
  EXPECT_EQ(a.m_strLabel2, b.m_strLabel2);
  EXPECT_EQ(a.m_crBackground, b.m_crBackground);
  EXPECT_EQ(a.m_crAxis, b.m_crAxis);
  EXPECT_EQ(a.m_crText, b.m_crText);
  EXPECT_EQ(a.m_bGrid, b.m_bGrid);
  EXPECT_EQ(a.m_bOscMode, b.m_bOscMode);
  EXPECT_EQ(a.m_nDivisions, b.m_nDivisions);
  EXPECT_EQ(a.m_crCursor, b.m_crCursor);
  ASSERT_EQ(a.m_markers.GetSize(), b.m_markers.GetSize());
  for (int i = 0; i < a.m_markers.GetSize(); ++i) EXPECT_EQ(a.m_markers[i], b.m_markers[i]);
  EXPECT_EQ(a.m_dXMin, b.m_dXMin);
  EXPECT_EQ(a.m_dXMax, b.m_dXMax);
  EXPECT_EQ(a.m_dY1Min, b.m_dY1Min);
  EXPECT_EQ(a.m_dY1Max, b.m_dY1Max);
  EXPECT_EQ(a.m_dY2Min, b.m_dY2Min);
  EXPECT_EQ(a.m_dY2Max, b.m_dY2Max);
  ASSERT_EQ(a.GetSize(), b.GetSize());
  for (int i = 0; i < a.GetSize(); ++i) {
    const CXYCurve &x = *a.GetAt(i), &y = *b.GetAt(i);
    EXPECT_EQ(x.m_nAxis, y.m_nAxis);
    EXPECT_EQ(x.m_nPenStyle, y.m_nPenStyle);
    EXPECT_EQ(x.m_nDrawMode, y.m_nDrawMode);
    EXPECT_EQ(x.m_crColor, y.m_crColor);
    EXPECT_EQ(x.m_nWidth, y.m_nWidth);
    EXPECT_EQ(x.m_nXCurve, y.m_nXCurve);
    EXPECT_EQ(x.m_nYCurve, y.m_nYCurve);
    EXPECT_EQ(x.m_strXUnit, y.m_strXUnit);
    EXPECT_EQ(x.m_strYUnit, y.m_strYUnit);
  }
}

TEST(PlotFile, SaveThenLoadGivesEqualObjectsAndAnIdenticalFile) {
  PlotFile a;
  Fill(a);
  std::string path = dravonix::test::ScratchDir("tpt") + "/run.tpt";
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    a.Serialize(ar);
    ar.Close();
  }
  PlotFile b;
  b.curves.Add(new CCurve);  // present content is replaced
  b.doc.Add(new CGraphFilter);
  {
    CFile f(path.c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    b.Serialize(ar);
  }
  ASSERT_EQ(b.curves.GetSize(), a.curves.GetSize());
  for (int i = 0; i < a.curves.GetSize(); ++i) ExpectEqual(*a.curves.GetAt(i), *b.curves.GetAt(i));
  EXPECT_EQ(b.doc.m_strTitle, "Logger run");
  EXPECT_EQ(b.doc.m_nArrange, 2);
  ASSERT_EQ(b.doc.GetSize(), 3);
  for (int i = 0; i < 3; ++i) ExpectEqual(*a.doc.GetAt(i), *b.doc.GetAt(i));
  EXPECT_EQ(b.doc.GetAt(0)->m_pSource, &b.curves);
  EXPECT_EQ(b.doc.GetAt(1)->m_dCursor1, 1e100);
  EXPECT_EQ(b.doc.GetAt(1)->m_nCursorCurve, -1);
  // A loaded plot computes as the original does.
  b.doc.GetAt(0)->ComputeAxis();
  b.doc.GetAt(0)->ComputeLimits();
  EXPECT_EQ(b.doc.GetAt(0)->m_bHasAxis2, 1);
  EXPECT_EQ(b.doc.GetAt(0)->m_dY2Min, -1.5);  // factor -2
  EXPECT_EQ(b.doc.GetAt(0)->m_dY2Max, 3.625);

  Bytes first = Store([&](CArchive& ar) { a.Serialize(ar); });
  Bytes again = Store([&](CArchive& ar) { b.Serialize(ar); });
  EXPECT_EQ(first, again);
  EXPECT_EQ((ULONGLONG)first.size(), CFile(path.c_str(), CFile::modeRead).GetLength());

  // Copies are deep and equal too.
  CGraphDocument copy;
  copy = b.doc;
  ASSERT_EQ(copy.GetSize(), 3);
  EXPECT_NE(copy.GetAt(0), b.doc.GetAt(0));
  for (int i = 0; i < 3; ++i) ExpectEqual(*copy.GetAt(i), *b.doc.GetAt(i));
  CCurveArray curves;
  curves.Add(new CCurve);
  curves.Add(new CCurve);
  curves.Add(new CCurve);
  curves.Add(new CCurve);
  curves.Add(new CCurve);
  curves = b.curves;
  ASSERT_EQ(curves.GetSize(), 4);
  ExpectEqual(*curves.GetAt(1), *b.curves.GetAt(1));
  EXPECT_EQ(curves.GetCurveIdx("short"), 2);
  EXPECT_EQ(curves.GetCurveIdx("Short"), -1);
  EXPECT_EQ(curves.GetCurve("empty"), curves.GetAt(3));
  EXPECT_EQ(curves.GetCurve("nope"), nullptr);
  EXPECT_EQ(curves.GetAt(4), nullptr);
  EXPECT_EQ(curves.GetAt(-1), nullptr);
}

TEST(PlotFile, ByteLayoutOfTheParts) {
  CFloatArray empty;
  EXPECT_EQ(Store([&](CArchive& ar) { empty.Serialize(ar); }), (Bytes{0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  CFloatArray one;
  one.Add(1.5);
  one.Add(2.0);
  one.SetUpperValid(0);
  EXPECT_EQ(Store([&](CArchive& ar) { one.Serialize(ar); }),
            (Bytes{0, 2, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0}));

  CXYCurve xy;
  xy.m_nAxis = 2, xy.m_nPenStyle = -1, xy.m_nDrawMode = 2, xy.m_crColor = 0x00FFC0, xy.m_nWidth = 4;
  xy.m_nXCurve = 1, xy.m_nYCurve = 0x12345, xy.m_strXUnit = "s", xy.m_strYUnit = "";
  EXPECT_EQ(Store([&](CArchive& ar) { xy.Serialize(ar); }),
            (Bytes{0, 2, 0, 0xFF, 0xFF, 2, 0, 0xC0, 0xFF, 0, 0, 4, 0, 1, 0, 0, 0, 0x45, 0x23, 1, 0, 1, 's', 0}));

  CCurveArray list;
  CCurve* c = new CCurve;
  c->m_strName = "v";
  list.Add(c);
  Bytes b = Store([&](CArchive& ar) { list.Serialize(ar); });
  Bytes head{0, 1, 0, 0xFF, 0xFF, 0, 0, 6, 0, 'C', 'C', 'u', 'r', 'v', 'e', 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 'v', 0, 0};
  ASSERT_GE(b.size(), head.size());
  EXPECT_EQ(Bytes(b.begin(), b.begin() + (long)head.size()), head);
  EXPECT_EQ(b.size(), head.size() + 32);

  CGraphFilter plain(nullptr, "T");
  Bytes p = Store([&](CArchive& ar) { plain.Serialize(ar); });
  EXPECT_EQ(p, (Bytes{1, 1, 'T', 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0, 1, 0, 0, 0, 0, 0}));
}

// Writes a curve list holding one curve body written by `body`.
Bytes ListWithBody(const std::function<void(CArchive&)>& body) {
  return Store([&](CArchive& ar) {
    ar << (BYTE)0;
    ar.WriteCount(1);
    ar.WriteClass(RUNTIME_CLASS(CCurve));
    body(ar);
  });
}

TEST(PlotFile, OlderAndNewerSchemas) {
  CFloatArray values;
  values.Add(4.0);
  // Curve schema 1: no oscilloscope scale and offset.
  Bytes v1 = ListWithBody([&](CArchive& ar) {
    ar << (BYTE)1;
    values.Serialize(ar);
    ar << CString("old") << CString("m") << CString("m") << 0.25 << 8.0;
  });
  CCurveArray list;
  EXPECT_EQ(Load(v1, [&](CArchive& ar) { list.Serialize(ar); }), nullptr);
  ASSERT_EQ(list.GetSize(), 1);
  EXPECT_EQ(list.GetAt(0)->m_strName, "old");
  EXPECT_EQ(list.GetAt(0)->m_dFactor, 8.0);
  EXPECT_EQ(list.GetAt(0)->m_dOscScale, 1.0);
  EXPECT_EQ(list.GetAt(0)->m_dOscOffset, 0.0);

  // Curve schema 0 is refused with the framework's silent user exception after its values.
  Bytes v0 = ListWithBody([&](CArchive& ar) {
    ar << (BYTE)0;
    values.Serialize(ar);
  });
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(Load(v0, [&](CArchive& ar) { list.Serialize(ar); }), RUNTIME_CLASS(CUserException));
  EXPECT_EQ(list.GetSize(), 0);
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unsupported graph document format.");
  g_bShowErrors = FALSE;  // only the failure is returned then
  EXPECT_EQ(Load(v0, [&](CArchive& ar) { list.Serialize(ar); }), RUNTIME_CLASS(CUserException));
  g_bShowErrors = TRUE;
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  Bytes v3 = ListWithBody([&](CArchive& ar) { ar << (BYTE)3; });
  EXPECT_EQ(Load(v3, [&](CArchive& ar) { list.Serialize(ar); }), RUNTIME_CLASS(CArchiveException));

  // Plot schema 0: no oscilloscope field.
  Bytes p0 = Store([&](CArchive& ar) {
    ar << (BYTE)0 << CString("doc") << (short)1;
    ar.WriteCount(1);
    ar.WriteClass(RUNTIME_CLASS(CGraphFilter));
    ar << (BYTE)0 << CString("p") << CString("l1") << CString("l2") << (DWORD)0x111111 << (DWORD)0x222222;
    ar << (short)-1;
    ar.WriteCount(0);
  });
  CGraphDocument doc;
  EXPECT_EQ(Load(p0, [&](CArchive& ar) { doc.Serialize(ar); }), nullptr);
  ASSERT_EQ(doc.GetSize(), 1);
  CGraphFilter* p = doc.GetAt(0);
  EXPECT_EQ(p->m_bOscMode, 0);
  EXPECT_EQ(p->m_nDivisions, 10);
  EXPECT_EQ(p->m_markers.GetSize(), 0);
  EXPECT_EQ(p->m_bGrid, -1);  // sign-extended
  EXPECT_EQ(p->m_crAxis, 0x222222u);
  EXPECT_EQ(p->m_crText, 0xC0C0C0u);
  EXPECT_EQ(p->m_crCursor, 0x0000FFu);
  EXPECT_EQ(p->m_dXMin, -1e99);
  EXPECT_EQ(p->m_dY2Max, 1e99);
  EXPECT_EQ(doc.m_nArrange, 1);

  // Newer schemas fail with the framework's bad-schema error.
  auto badSchema = [](Bytes bytes, const std::function<void(CArchive&)>& read) {
    CMemFile f(bytes.data(), (UINT)bytes.size());
    CArchive ar(&f, CArchive::load);
    try {
      read(ar);
    } catch (CArchiveException* e) {
      int cause = e->m_cause;
      e->Delete();
      return cause == CArchiveException::badSchema;
    }
    return false;
  };
  CFloatArray fa;
  CXYCurve xy;
  CGraphFilter gf;
  EXPECT_TRUE(badSchema({1, 0, 0, 0, 0}, [&](CArchive& ar) { fa.Serialize(ar); }));
  EXPECT_TRUE(badSchema({1, 0, 0}, [&](CArchive& ar) { list.Serialize(ar); }));
  EXPECT_TRUE(badSchema({1, 0, 0}, [&](CArchive& ar) { xy.Serialize(ar); }));
  EXPECT_TRUE(badSchema({2, 0, 0}, [&](CArchive& ar) { gf.Serialize(ar); }));
  EXPECT_TRUE(badSchema({1, 0, 0}, [&](CArchive& ar) { doc.Serialize(ar); }));
}

TEST(PlotFile, TruncatedAndCorruptedFilesFailCleanly) {
  PlotFile a;
  Fill(a);
  // A smaller file so that every cut can be tried.
  a.curves.GetAt(0)->SetSize(3);
  a.curves.GetAt(1)->SetSize(5);
  Bytes good = Store([&](CArchive& ar) { a.Serialize(ar); });
  for (size_t n = 0; n < good.size(); ++n) {
    PlotFile b;
    CRuntimeClass* c = Load(Bytes(good.begin(), good.begin() + (long)n), [&](CArchive& ar) { b.Serialize(ar); });
    ASSERT_EQ(c, RUNTIME_CLASS(CArchiveException)) << "cut at " << n;
  }
  // Random damage: either a clean load or a framework exception, never a crash or a leak.
  std::mt19937 rng(12);
  int failed = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes bad = good;
    int hits = 1 + (int)(rng() % 4);
    for (int h = 0; h < hits; ++h) bad[rng() % bad.size()] = (BYTE)rng();
    PlotFile b;
    if (Load(bad, [&](CArchive& ar) { b.Serialize(ar); })) ++failed;
    for (int i = 0; i < b.doc.GetSize(); ++i) {
      CGraphFilter* p = b.doc.GetAt(i);
      p->ComputeAxis();
      p->ComputeLimits();
    }
  }
  EXPECT_GT(failed, 0);

  // One curve handed out twice (an object back-reference) is refused, not owned twice.
  Bytes twice = Store([&](CArchive& ar) {
    CCurve c;
    ar << (BYTE)0;
    ar.WriteCount(2);
    ar.WriteObject(&c);
    ar.WriteObject(&c);
  });
  CCurveArray list;
  EXPECT_EQ(Load(twice, [&](CArchive& ar) { list.Serialize(ar); }), RUNTIME_CLASS(CArchiveException));
  // An object of another class where a curve belongs is refused.
  Bytes other = Store([&](CArchive& ar) {
    CXYCurve c;
    ar << (BYTE)0;
    ar.WriteCount(1);
    ar.WriteObject(&c);
  });
  EXPECT_EQ(Load(other, [&](CArchive& ar) { list.Serialize(ar); }), RUNTIME_CLASS(CArchiveException));
}

}  // namespace
