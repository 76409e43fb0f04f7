// Slave axes of a motion controller and their file in the motion directory.
#include "motion/model/MC_Motion.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/MC_AxisData.h"
#include "motion/model/MotionFileSet.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"

#include <cstdio>

namespace {
const UINT IDS_INVALID_SYNTAX = 20002;
const UINT IDS_SLAVE_INVALID_LABEL = 22500;
const UINT IDS_SLAVE_NO_APPLICATION = 22501;
const UINT IDS_SLAVE_NOT_ALLOWED = 22502;
}  // namespace

void CMC_Motion::ReplaceSlaveAxisIfIsMotionController(CMC_AxisData* axis) {
  if (!m_pSetup || !m_pSetup->IsMotionController()) return;
  for (CMC_AxisData*& slave : m_arrSlaveAxis) {
    CMC_Setup* setup = slave ? slave->GetSetup() : nullptr;
    if (setup && setup->IsMotionController()) slave = axis;
  }
}

int CMC_Motion::UpdateMotionControllerSetup(int& changed) {
  changed = 0;
  if (!m_pSetup) return 0;
  if (!m_pSetup->IsMotionController()) return 1;
  for (size_t i = 0; i < m_arrSlaveAxis.size(); ++i) {
    const BYTE id = m_arrSlaveAxis[i] ? (BYTE)m_arrSlaveAxis[i]->GetAxisID() : 0;
    int one = 0;
    if (!m_pSetup->MotionController_SetAxisIDOfSlave((BYTE)i, id, &one)) return 0;
    if (one) changed = 1;
  }
  return 1;
}

int CMC_Motion::ReadSlaveAxisFromDirectory(CMC_Document* document, const char* directory) {
  std::fill(m_arrSlaveAxis.begin(), m_arrSlaveAxis.end(), nullptr);
  if (!document || !m_pSetup || !m_pSetup->IsMotionController() || !directory) return 1;
  const int count = (BYTE)m_pSetup->GetMotionControllerSlaveCount();
  m_arrSlaveAxis.assign((size_t)count, nullptr);
  const CString dir = CString(directory) + "\\";
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  // Messages name the file as the directory was given, in the platform's form.
  const CString file = GivenFileName(dir + "slaveaxis.cfg");
  FILE* f = OpenConfigFile(file, 0);
  if (!f) return 0;
  CString line, error, name;
  int lineNumber = 0;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    lineNumber = LineFeedsRead(f, lineNumber);
    const int equal = line.Find('=');
    if (equal <= 0) {
      error = FormatKernelString(IDS_INVALID_SYNTAX, file.GetString(), lineNumber);
      break;
    }
    CString label = line.Left(equal);
    label.TrimRight();
    if (label.GetLength() != 1 || (BYTE)label[0] < (BYTE)'A' || (int)(BYTE)label[0] >= 'A' + count) {
      error = FormatKernelString(IDS_SLAVE_INVALID_LABEL, file.GetString(), lineNumber, label.GetString());
      break;
    }
    CString rest = line.Mid(equal + 1);
    rest.TrimLeft(" \t");
    if (!ReadEscapedStringFromConfigLine(rest, name)) {
      error = FormatKernelString(IDS_INVALID_SYNTAX, file.GetString(), lineNumber);
      break;
    }
    CMC_AxisData* axis = document->FindAxisData(name);
    if (!axis) {
      error = FormatKernelString(IDS_SLAVE_NO_APPLICATION, file.GetString(), lineNumber, name.GetString());
      break;
    }
    if (axis->GetMotion() != this) {
      CMC_Setup* setup = axis->GetSetup();
      if (!setup || setup->IsMotionController()) {
        error = FormatKernelString(IDS_SLAVE_NOT_ALLOWED, file.GetString(), lineNumber, name.GetString());
        break;
      }
    }
    m_arrSlaveAxis[(size_t)(label[0] - 'A')] = axis;
  }
  if (!error.IsEmpty()) {
    if (f) fclose(f);
    if (g_bShowErrors) AfxMessageBox(error, MB_ICONEXCLAMATION);
    return 0;
  }
  TranslateAll(1);
  DetectAndFixUnitTransitions();
  return 1;
}

int CMC_Motion::WriteSlaveAxisToDirectory(const char* directory) {
  if (!directory) return 0;
  const CString dir = CString(directory) + "\\";
  // Replaced whole, under the lock that the program's other files are saved and read under.
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  if (!m_pSetup || !m_pSetup->IsMotionController()) {
    DeleteFile(ResolveConfigFileName(dir + "slaveaxis.cfg"));
    return 1;
  }
  CString text, line;
  for (size_t i = 0; i < m_arrSlaveAxis.size(); ++i) {
    if (!m_arrSlaveAxis[i]) continue;
    line.Format("%c\t= %s\r\n", (char)('A' + i), EscapeString(m_arrSlaveAxis[i]->GetName()).GetString());
    text += line;
  }
  CConfigFileWriter writer(ShownFileName(dir + "slaveaxis.cfg"), CConfigFileWriter::kSetMember);
  return writer.WriteEntries(1, [&](FILE* f, int) {
           return fwrite(text.GetString(), 1, (size_t)text.GetLength(), f) == (size_t)text.GetLength() ? 1 : 0;
         }) &&
         CommitConfigFiles(dir, {&writer});
}
