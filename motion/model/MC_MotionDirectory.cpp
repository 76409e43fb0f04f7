// The motion directory: group files, the top-level source text and the default bodies of slots.
#include "motion/model/MC_Motion.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/FileSystem.h"

#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MotionFileSet.h"

#include <cstdio>

int CMC_Motion::SaveToDirectory(const char* directory) {
  if (!directory) return 0;
  const CString dir = CString(directory) + "\\";
  // Every file is complete before any old one is replaced, and all are replaced as one: a failure
  // or a stop leaves the whole old program or the whole new one. The folder's lock keeps loads
  // and other saves from coming between the files.
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  CMotionFileSet set;
  if (!m_strSource.IsEmpty() && !ExistConfigFile(dir + "motion.zur")) {
    const size_t length = (size_t)m_strSource.GetLength();
    CConfigFileWriter& source = set.Add(dir + "motion.zur");
    source.ShowSystemErrorText();
    if (!source.WriteEntries(1, [&](FILE* f, int) {
          return fwrite(m_strSource.GetString(), 1, length, f) == length ? 1 : 0;
        }))
      return 0;
  }
  if (!m_Main.Save(set.Add(dir + "main.cfg")) || !m_HomingProcedures.Save(set.Add(dir + "homingmodes.cfg")) ||
      !m_Functions.Save(set.Add(dir + "functions.cfg")) || !m_Interrupts.Save(set.Add(dir + "interrupts.cfg")))
    return 0;
  // A CAM table that cannot be saved fails the save but keeps none of the other files from it.
  std::vector<CString> failed;
  const int cams = m_pCAMTables->Write(directory, set, &failed);
  if (!set.Commit(dir)) return 0;
  m_pCAMTables->HoldFilesOfTables(directory, failed);
  return cams;
}

void CMC_Motion::ReadSourceText(const char* directory) {
  CQuietErrors quiet;
  m_strSource.Empty();
  FILE* f = OpenConfigFile(CString(directory) + "motion.zur", 0);
  if (!f) return;
  char block[1023];
  size_t n;
  while ((n = fread(block, 1, sizeof block, f)) > 0) m_strSource.Append(block, (int)n);
  fclose(f);
}

int CMC_Motion::ReadSetupSettings() {
  m_SetupSettings.DeleteAll();
  if (!m_pSetup) return 0;
  const CString file = m_pSetup->GetOptionNoError("SetupSettings");
  if (file.IsEmpty()) return 1;
  return m_SetupSettings.Load("SetupSettings", GetMotionProceduresDirectory() + file, 0);
}

int CMC_Motion::ReadDefaultHomingProcedure(int i, CMC_MotionGroup& group) {
  CQuietErrors quiet;
  if (!m_pSetup) {
    group.DeleteAll();
    return 0;
  }
  const CString file = m_pSetup->GetHomingProcedureFile(i);
  if (file.IsEmpty()) {
    group.DeleteAll();
    group.m_strName.Empty();
    group.m_bEnabled = 0;
    return 1;
  }
  CString name, path;
  if (m_pSetup->GetMCVersion() >= 3) {
    name.Format("home%d", i + 1);
    path.Format("Firmware\\%s\\%s", CString(m_pSetup->GetFirmwareID()).GetString(), file.GetString());
    CMC_MotionGroup body;
    if (body.Load(name, path, 0) && body.GetSize() > 0) {
      group = body;
      Translate(&group, 1);
      return 1;
    }
  } else {
    name.Format("home%d", i);
    CMC_MotionGroup folder;
    CMC_MotionGroup* body = nullptr;
    if (folder.Load("defaultProc", GetMotionProceduresDirectory() + file, 1) && folder.GetSize() == 1)
      body = DYNAMIC_DOWNCAST(CMC_MotionGroup, folder.GetAt(0));
    if (body) {
      group = *body;
      Translate(&group, 1);
      return 1;
    }
  }
  group.DeleteAll();
  group.m_strName = name;
  group.m_bEnabled = 0;
  return 1;
}

int CMC_Motion::ReadDefaultInterrupt(const char* label, CMC_MotionGroup& group) {
  CQuietErrors quiet;
  if (!m_pSetup) {
    group.DeleteAll();
    return 0;
  }
  CString path;
  path.Format("Firmware\\%s\\%s.cfg", CString(m_pSetup->GetFirmwareID()).GetString(), label);
  if (group.Load(label, path, 0)) {
    Translate(&group, 1);
    return 1;
  }
  group.DeleteAll();
  return 1;
}
