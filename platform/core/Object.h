// CObject and CRuntimeClass: run-time class information, dynamic creation and serial classes.
#pragma once

#include "platform/core/Types.h"

class CArchive;
class CDumpContext;
class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;  // 0xFFFF for classes that are not serial; VERSIONABLE_SCHEMA may be or'ed in
  CObject* (*m_pfnCreateObject)();
  CRuntimeClass* (*m_pfnGetBaseClass)();
  CRuntimeClass* m_pNextClass;  // registry chain

  CObject* CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* base) const;
  CRuntimeClass* GetBaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }

  // Registry of every class declared with the macros below, found by name when archives are read.
  static CRuntimeClass* FromName(const char* className);
  static CObject* CreateObject(const char* className);
  static void Register(CRuntimeClass* cls);
  static void Unregister(CRuntimeClass* cls);
};

#define VERSIONABLE_SCHEMA (0x80000000)

// Registers a class with the run-time registry at static initialisation, and takes it out again when
// its module is unloaded: the class record lives in that module's memory.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* cls) : m_pClass(cls) { CRuntimeClass::Register(cls); }
  ~AFX_CLASSINIT() { CRuntimeClass::Unregister(m_pClass); }
  AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
  AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;
  CRuntimeClass* m_pClass;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                   \
 public:                                              \
  static CRuntimeClass* GetThisClass();               \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name)   \
  DECLARE_DYNCREATE(class_name)      \
  friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, pfnNew)                        \
  CRuntimeClass* class_name::GetThisClass() {                                                       \
    static CRuntimeClass cls = {#class_name, (int)sizeof(class_name), (UINT)(wSchema), pfnNew,      \
                                &base_class_name::GetThisClass, nullptr};                           \
    return &cls;                                                                                    \
  }                                                                                                 \
  CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); }         \
  static AFX_CLASSINIT _init_##class_name(class_name::GetThisClass());

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                     \
  CObject* class_name::CreateObject() { return new class_name; }             \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// Needs platform/core/Archive.h where it is expanded.
#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                 \
  CObject* class_name::CreateObject() { return new class_name; }                               \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, class_name::CreateObject)      \
  CArchive& operator>>(CArchive& ar, class_name*& pOb) {                                       \
    pOb = (class_name*)ar.ReadObject(RUNTIME_CLASS(class_name));                               \
    return ar;                                                                                 \
  }

class CObject {
 public:
  // The order of these virtual members is part of the binary contract with plug-ins.
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const {}
  virtual void Dump(CDumpContext&) const {}

  static CRuntimeClass* GetThisClass();
  BOOL IsKindOf(const CRuntimeClass* cls) const;
  BOOL IsSerializable() const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Framework helpers for checked downcasts.
template <class T>
T* DYNAMIC_DOWNCAST_impl(CObject* p) {
  return (p && p->IsKindOf(T::GetThisClass())) ? static_cast<T*>(p) : nullptr;
}
#define DYNAMIC_DOWNCAST(class_name, object) (DYNAMIC_DOWNCAST_impl<class_name>(object))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
