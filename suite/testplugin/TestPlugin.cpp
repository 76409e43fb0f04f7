// A plug-in that the platform tests load by its .dll name: two exports, its own resources and a
// class created by name.
#include "platform/core/Module.h"
#include "platform/core/Object.h"
#include "platform/core/Resource.h"

#include "testplugin_embedded.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {61001, "Test plug-in loaded"},
    {61002, "Second string of the test plug-in"},
    {61010, "plug-in copy"},
};

const char kSettings[] = "gain=3";

const RESOURCE_ENTRY kEntries[] = {
    {RT_BITMAP, "ModuleIcon", embedded_ModuleIcon_png, embedded_ModuleIcon_png_size},
    {RT_RCDATA, MAKEINTRESOURCE(61020), kSettings, sizeof kSettings - 1},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};

CResourceTableRegistration g_registration(kTable);

}  // namespace

// Known to the host only by name, through the run-time class registry.
class CTestPluginObject : public CObject {
  DECLARE_DYNCREATE(CTestPluginObject)
};

IMPLEMENT_DYNCREATE(CTestPluginObject, CObject)

extern "C" int TestPlugin_Add(int a, int b) { return a + b; }

extern "C" HMODULE TestPlugin_Module() { return AfxModuleOfAddress((const void*)&TestPlugin_Add); }
