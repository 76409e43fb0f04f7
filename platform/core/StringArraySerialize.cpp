// The run-time class of CStringArray and its archive form.
#include "platform/core/StringArray.h"

CObject* CStringArray::CreateObject() { return new CStringArray; }
IMPLEMENT_RUNTIMECLASS_(CStringArray, CObject, 0, CStringArray::CreateObject)

void CStringArray::Serialize(CArchive&) {}
