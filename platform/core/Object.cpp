#include "platform/core/Object.h"

#include "platform/core/String.h"

#include <cstring>
#include <mutex>

namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

CRuntimeClass*& RegistryHead() {
  static CRuntimeClass* head = nullptr;
  return head;
}

}  // namespace

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->GetBaseClass())
    if (c == base) return TRUE;
  return FALSE;
}

void CRuntimeClass::Register(CRuntimeClass* cls) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  for (CRuntimeClass* c = RegistryHead(); c; c = c->m_pNextClass)
    if (c == cls) return;
  cls->m_pNextClass = RegistryHead();
  RegistryHead() = cls;
}

void CRuntimeClass::Unregister(CRuntimeClass* cls) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  for (CRuntimeClass** link = &RegistryHead(); *link; link = &(*link)->m_pNextClass) {
    if (*link == cls) {
      *link = cls->m_pNextClass;
      cls->m_pNextClass = nullptr;
      return;
    }
  }
}

CRuntimeClass* CRuntimeClass::FromName(const char* className) {
  if (!className) return nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  for (CRuntimeClass* c = RegistryHead(); c; c = c->m_pNextClass)
    if (strcmp(c->m_lpszClassName, className) == 0) return c;
  return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
  CRuntimeClass* c = FromName(className);
  return c ? c->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetThisClass() {
  static CRuntimeClass cls = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
  return &cls;
}
static AFX_CLASSINIT _init_CObject(CObject::GetThisClass());

CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }
