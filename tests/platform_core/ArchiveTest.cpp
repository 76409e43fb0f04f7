#include "platform/core/Archive.h"

#include "tests/support/TestKernel.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <vector>

// Serial classes live outside the anonymous namespace: their reading operators are not all used.
class CNode : public CObject {
  DECLARE_SERIAL(CNode)
 public:
  DWORD m_value = 0;
  CNode* m_peer = nullptr;  // not owned
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_value;
      ar << m_peer;
    } else {
      ar >> m_value;
      ar >> m_peer;
    }
  }
};
IMPLEMENT_SERIAL(CNode, CObject, 1)

class CVersioned : public CObject {
  DECLARE_SERIAL(CVersioned)
 public:
  UINT m_seenSchema = 0;
  void Serialize(CArchive& ar) override {
    if (ar.IsLoading()) m_seenSchema = ar.GetObjectSchema();
  }
};
IMPLEMENT_SERIAL(CVersioned, CObject, 3 | VERSIONABLE_SCHEMA)

class COther : public CObject {
  DECLARE_SERIAL(COther)
};
IMPLEMENT_SERIAL(COther, CObject, 0)

namespace {

using dravonix::test::Bytes;

Bytes Store(const std::function<void(CArchive&)>& write) { return dravonix::test::StoreBytes(write); }

// Loads from a copy of the bytes; returns the archive exception's cause, or -1 when none was thrown.
int Load(const Bytes& bytes, const std::function<void(CArchive&)>& read) { return dravonix::test::LoadCause(bytes, read); }

Bytes Prefix(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + (ptrdiff_t)n); }

}  // namespace

TEST(Archive, StringLengthPrefixesAtEveryBoundary) {
  struct Case {
    int len;
    Bytes prefix;
  } cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    CString s;
    for (int i = 0; i < c.len; ++i) s += (char)('a' + i % 26);
    Bytes b = Store([&](CArchive& ar) { ar << s; });
    ASSERT_EQ(b.size(), c.prefix.size() + (size_t)c.len) << c.len;
    EXPECT_EQ(Prefix(b, c.prefix.size()), c.prefix) << c.len;
    EXPECT_EQ(memcmp(b.data() + c.prefix.size(), s.GetString(), (size_t)c.len), 0);
    CString back;
    EXPECT_EQ(Load(b, [&](CArchive& ar) { ar >> back; }), -1);
    EXPECT_EQ(back, s) << c.len;
  }
}

TEST(Archive, WideStringsAreConvertedToTheCodePage) {
  // 0xFF 0xFFFE announces 16-bit characters: "A", euro sign, e acute, a CJK character.
  Bytes b = {0xFF, 0xFE, 0xFF, 0x04, 'A', 0x00, 0xAC, 0x20, 0xE9, 0x00, 0x2D, 0x4E};
  CString s;
  EXPECT_EQ(Load(b, [&](CArchive& ar) { ar >> s; }), -1);
  EXPECT_EQ(s, CString("A\x80\xE9?"));
  // A long wide string uses the WORD length after the marker.
  Bytes lng = {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01};
  for (int i = 0; i < 0x100; ++i) lng.insert(lng.end(), {'x', 0x00});
  EXPECT_EQ(Load(lng, [&](CArchive& ar) { ar >> s; }), -1);
  EXPECT_EQ(s, CString('x', 0x100));
}

TEST(Archive, NumbersAreLittleEndianAndRoundTrip) {
  Bytes b = Store([](CArchive& ar) {
    ar << (BYTE)0xAB << (WORD)0x1234 << (short)-2 << (DWORD)0x89ABCDEF << (LONG)-1 << (int)7 << 1.5f << 1.5
       << 'z';
  });
  Bytes want = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xEF, 0xCD, 0xAB, 0x89, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0,
                0,    0,    0,    0,    0xC0, 0x3F, 0,    0,    0,    0,    0,    0,    0xF8, 0x3F, 'z'};
  EXPECT_EQ(b, want);
  BYTE by;
  WORD w;
  short sh;
  DWORD dw;
  LONG l;
  int i;
  float f;
  double d;
  char c;
  EXPECT_EQ(Load(b, [&](CArchive& ar) { ar >> by >> w >> sh >> dw >> l >> i >> f >> d >> c; }), -1);
  EXPECT_EQ(by, 0xAB);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(sh, -2);
  EXPECT_EQ(dw, 0x89ABCDEFu);
  EXPECT_EQ(l, -1);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(d, 1.5);
  EXPECT_EQ(c, 'z');
}

TEST(Archive, CountsUseTheShortOrTheLongForm) {
  Bytes b = Store([](CArchive& ar) {
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount((DWORD_PTR)-1);
  });
  EXPECT_EQ(b, (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  DWORD_PTR a = 0, c = 0, d = 0;
  EXPECT_EQ(Load(b, [&](CArchive& ar) {
              a = ar.ReadCount();
              c = ar.ReadCount();
              d = ar.ReadCount();
            }),
            -1);
  EXPECT_EQ(a, 0xFFFEu);
  EXPECT_EQ(c, 0xFFFFu);
  EXPECT_EQ((int)d, -1);
}

TEST(Archive, ObjectGraphWritesOneClassTagOneClassReferenceAndOneBackReference) {
  CNode a, b;
  a.m_value = 0x11;
  b.m_value = 0x22;
  Bytes bytes = Store([&](CArchive& ar) { ar << &a << &b << &a << (CObject*)nullptr; });
  Bytes want = {0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00, 'C', 'N', 'o', 'd', 'e',  // new class, index 1
                0x11, 0x00, 0x00, 0x00, 0x00, 0x00,                           // a (index 2), null peer
                0x01, 0x80,                                                   // class reference 1
                0x22, 0x00, 0x00, 0x00, 0x00, 0x00,                           // b (index 3)
                0x02, 0x00,                                                   // back-reference to a
                0x00, 0x00};                                                  // null
  EXPECT_EQ(bytes, want);

  CNode *p1 = nullptr, *p2 = nullptr, *p3 = nullptr;
  CObject* p4 = &a;
  EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar >> p1 >> p2 >> p3 >> p4; }), -1);
  ASSERT_NE(p1, nullptr);
  ASSERT_NE(p2, nullptr);
  EXPECT_EQ(p3, p1);
  EXPECT_NE(p1, p2);
  EXPECT_EQ(p4, nullptr);
  EXPECT_EQ(p1->m_value, 0x11u);
  EXPECT_EQ(p2->m_value, 0x22u);
  delete p1;
  delete p2;
}

TEST(Archive, CyclicPointersReadBackToTheSameShape) {
  CNode a, b;
  a.m_peer = &b;
  b.m_peer = &a;
  a.m_value = 1;
  b.m_value = 2;
  Bytes bytes = Store([&](CArchive& ar) { ar << &a; });
  CNode* p = nullptr;
  EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar >> p; }), -1);
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->m_peer, nullptr);
  EXPECT_EQ(p->m_peer->m_peer, p);
  EXPECT_EQ(p->m_peer->m_value, 2u);
  delete p->m_peer;
  delete p;
}

TEST(Archive, SchemasAreCheckedAgainstTheClass) {
  CNode n;
  Bytes bytes = Store([&](CArchive& ar) { ar << &n; });
  // A newer schema of a class that is not versionable is refused.
  Bytes newer = bytes;
  newer[2] = 0x02;
  CNode* p = nullptr;
  EXPECT_EQ(Load(newer, [&](CArchive& ar) { ar >> p; }), CArchiveException::badSchema);
  EXPECT_EQ(p, nullptr);

  // A versionable class stores its plain schema number and reads other schemas, with or without
  // the versionable bit in the stored word.
  CVersioned v;
  Bytes vb = Store([&](CArchive& ar) { ar << &v; });
  EXPECT_EQ(Prefix(vb, 4), (Bytes{0xFF, 0xFF, 0x03, 0x00}));
  for (BYTE stored : {0x03, 0x01, 0x81}) {
    Bytes older = vb;
    older[2] = stored;
    older[3] = stored & 0x80;
    older[2] &= 0x7F;
    CObject* o = nullptr;
    EXPECT_EQ(Load(older, [&](CArchive& ar) { ar >> o; }), -1);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(static_cast<CVersioned*>(o)->m_seenSchema, (UINT)(stored & 0x7F));
    delete o;
  }
}

TEST(Archive, ClassChecksAndBadTagsFailCleanly) {
  CNode n;
  Bytes bytes = Store([&](CArchive& ar) { ar << &n; });
  // Asked for another class.
  EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(COther)); }), CArchiveException::badClass);
  // A class name nobody registered.
  Bytes unknown = bytes;
  unknown[6] = 'X';
  EXPECT_EQ(Load(unknown, [&](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::badClass);
  // References to things not read yet, and an object tag that names a class.
  EXPECT_EQ(Load({0x05, 0x00}, [&](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::badIndex);
  EXPECT_EQ(Load({0x03, 0x80}, [&](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::badIndex);
  EXPECT_EQ(Load({0x00, 0x80}, [&](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::badIndex);
  Bytes twice = bytes;
  twice.insert(twice.end(), {0x01, 0x00});
  EXPECT_EQ(Load(twice, [&](CArchive& ar) {
              CObject* o = ar.ReadObject(nullptr);
              delete o;
              ar.ReadObject(nullptr);
            }),
            CArchiveException::badIndex);
  // The big-index form with a huge index.
  EXPECT_EQ(Load({0xFF, 0x7F, 0x00, 0x00, 0x00, 0x70}, [&](CArchive& ar) { ar.ReadObject(nullptr); }),
            CArchiveException::badIndex);
}

TEST(Archive, EveryTruncationEndsWithEndOfFile) {
  CNode a, b;
  a.m_peer = &b;
  a.m_value = 5;
  CString longText('q', 300);
  Bytes full = Store([&](CArchive& ar) {
    ar << (WORD)7 << 2.25 << CString("name") << longText;
    ar.WriteCount(0x12345);
    ar << &a << &b << &a;
    ar << (BYTE)1;
  });
  auto read = [&](CArchive& ar, std::set<CObject*>& made) {
    WORD w;
    double d;
    CString s1, s2;
    ar >> w >> d >> s1 >> s2;
    ar.ReadCount();
    for (int i = 0; i < 3; ++i) {
      CObject* o = nullptr;
      ar >> o;
      if (o) {
        made.insert(o);
        if (auto* n = DYNAMIC_DOWNCAST(CNode, o); n && n->m_peer) made.insert(n->m_peer);
      }
    }
    BYTE end;
    ar >> end;
  };
  std::set<CObject*> made;
  EXPECT_EQ(Load(full, [&](CArchive& ar) { read(ar, made); }), -1);
  EXPECT_EQ(made.size(), 2u);
  for (CObject* o : made) delete o;
  for (size_t n = 0; n < full.size(); ++n) {
    made.clear();
    EXPECT_EQ(Load(Prefix(full, n), [&](CArchive& ar) { read(ar, made); }), CArchiveException::endOfFile) << n;
    for (CObject* o : made) delete o;
  }
}

TEST(Archive, WrongDirectionAndClosedArchivesThrow) {
  CMemFile f;
  CArchive st(&f, CArchive::store);
  EXPECT_TRUE(st.IsStoring());
  EXPECT_FALSE(st.IsLoading());
  BYTE b;
  st << (DWORD)1;  // something in the buffer
  try {
    st >> b;
    ADD_FAILURE();
  } catch (CArchiveException* e) {
    EXPECT_EQ(e->m_cause, CArchiveException::writeOnly);
    e->Delete();
  }
  st.Close();
  CArchive ld(&f, CArchive::load);
  try {
    ld << (BYTE)1;
    ADD_FAILURE();
  } catch (CArchiveException* e) {
    EXPECT_EQ(e->m_cause, CArchiveException::readOnly);
    e->Delete();
  }
}

TEST(Archive, RawBytesTextLinesAndMappedObjects) {
  CNode shared;
  Bytes big(10000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = (BYTE)(i * 7);
  Bytes bytes = Store([&](CArchive& ar) {
    ar.Write(big.data(), (UINT)big.size());
    ar.WriteString("first\r\nsecond\nlast");
    ar.MapObject(&shared);
    ar << &shared;
  });
  // Mapped objects take index 1 and are written as references only.
  EXPECT_EQ(Prefix(Bytes(bytes.end() - 2, bytes.end()), 2), (Bytes{0x01, 0x00}));
  Bytes back(big.size());
  CString l1, l2, l3, l4;
  CObject* ref = nullptr;
  EXPECT_EQ(Load(Prefix(bytes, bytes.size() - 2),
                 [&](CArchive& ar) {
                   EXPECT_EQ(ar.Read(back.data(), (UINT)back.size()), back.size());
                   EXPECT_TRUE(ar.ReadString(l1));
                   EXPECT_TRUE(ar.ReadString(l2));
                   EXPECT_TRUE(ar.ReadString(l3));
                   EXPECT_FALSE(ar.ReadString(l4));
                 }),
            -1);
  EXPECT_EQ(back, big);
  EXPECT_EQ(l1, "first");
  EXPECT_EQ(l2, "second");
  EXPECT_EQ(l3, "last");
  EXPECT_EQ(Load({0x01, 0x00},
                 [&](CArchive& ar) {
                   ar.MapObject(&shared);
                   ar >> ref;
                 }),
            -1);
  EXPECT_EQ(ref, &shared);
}

TEST(Archive, RoundTripThroughAFileAndAnUnreadableFile) {
  std::string dir = dravonix::test::ScratchDir("archive");
  std::string path = dir + "/data.bin";
  CString text('t', 5000);
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    for (DWORD i = 0; i < 3000; ++i) ar << i;
    ar << text;
  }  // the archive closes before the file
  {
    CFile f(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(f.GetLength(), 3000u * 4 + 3 + 5000);
    CArchive ar(&f, CArchive::load);
    EXPECT_EQ(ar.GetFile(), &f);
    for (DWORD i = 0; i < 3000; ++i) {
      DWORD v;
      ar >> v;
      ASSERT_EQ(v, i);
    }
    CString back;
    ar >> back;
    EXPECT_EQ(back, text);
    DWORD extra;
    try {
      ar >> extra;
      ADD_FAILURE();
    } catch (CArchiveException* e) {
      EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
      EXPECT_EQ(e->m_strFileName, CString(path.c_str()));
      e->Delete();
    }
  }
  // A file that cannot be opened reports the framework's file exception; nothing is read.
  try {
    CFile f((dir + "/missing.bin").c_str(), CFile::modeRead);
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
  // A file opened for writing only cannot feed a loading archive.
  {
    CFile f(path.c_str(), CFile::modeWrite);
    CArchive ar(&f, CArchive::load);
    try {
      WORD w;
      ar >> w;
      ADD_FAILURE();
    } catch (CFileException* e) {
      EXPECT_EQ(e->m_cause, CFileException::invalidFile);
      e->Delete();
    }
  }
  try {
    CFile f(dir.c_str(), CFile::modeRead);
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::accessDenied);
    e->Delete();
  }
}

TEST(Archive, BigIndexesUseTheLongTagForm) {
  // 0x7FFE mapped objects push the class to index 0x7FFF and the object to 0x8000.
  std::vector<CNode> filler(0x7FFE);
  CNode a, b;
  Bytes bytes = Store([&](CArchive& ar) {
    for (CNode& n : filler) ar.MapObject(&n);
    ar << &a << &b << &a;
  });
  size_t at = 0;
  EXPECT_EQ(Prefix(bytes, 2), (Bytes{0xFF, 0xFF}));
  at = 2 + 4 + 5 + 6;  // new class, then a (value and null peer)
  EXPECT_EQ(Bytes(bytes.begin() + (ptrdiff_t)at, bytes.begin() + (ptrdiff_t)at + 6),
            (Bytes{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}));  // class 0x7FFF by the long form
  at += 6 + 6;
  EXPECT_EQ(Bytes(bytes.begin() + (ptrdiff_t)at, bytes.end()), (Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}));
  CNode *p1 = nullptr, *p2 = nullptr, *p3 = nullptr;
  EXPECT_EQ(Load(bytes,
                 [&](CArchive& ar) {
                   for (CNode& n : filler) ar.MapObject(&n);
                   ar >> p1 >> p2 >> p3;
                 }),
            -1);
  EXPECT_EQ(p1, p3);
  ASSERT_NE(p2, nullptr);
  EXPECT_NE(p1, p2);
  delete p1;
  delete p2;
}

TEST(Archive, SerializeClassAndTheFilePositionAfterClosing) {
  Bytes bytes = Store([&](CArchive& ar) {
    ar.SerializeClass(RUNTIME_CLASS(CVersioned));
    ar.SerializeClass(RUNTIME_CLASS(CVersioned));
    ar << (DWORD)0xDEADBEEF;
  });
  EXPECT_EQ(bytes.size(), 2u + 4 + 10 + 2 + 4);
  CMemFile f(bytes.data(), (UINT)bytes.size());
  {
    CArchive ar(&f, CArchive::load);
    ar.SerializeClass(RUNTIME_CLASS(CVersioned));
    EXPECT_EQ(ar.GetObjectSchema(), 3u);
    EXPECT_EQ(ar.GetObjectSchema(), (UINT)-1);
    ar.SerializeClass(RUNTIME_CLASS(CVersioned));  // now a class reference
    ar.Close();
  }
  // What the archive read ahead is given back: the file stands at the number.
  EXPECT_EQ(f.GetPosition(), 18u);
  DWORD v = 0;
  f.Read(&v, 4);
  EXPECT_EQ(v, 0xDEADBEEFu);
  f.SeekToBegin();
  CArchive ar(&f, CArchive::load);
  try {
    ar.SerializeClass(RUNTIME_CLASS(CNode));
    ADD_FAILURE();
  } catch (CArchiveException* e) {
    EXPECT_EQ(e->m_cause, CArchiveException::badClass);
    e->Delete();
  }
}
