// Reading and writing setup directories and firmware files, the VKS library export and the import of
// parameter values from another setup directory.
#include "comm/MC_CoffFormat.h"
#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/SetupStringIds.h"
#include "kernel/values/Utilities.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {


// Lists indexed from files stay within this, so a mistyped index cannot exhaust memory.
constexpr int kMaxListIndex = 0xFFFF;

void CloseFile(FILE*& f) {
  if (f) fclose(f);
  f = nullptr;
}

// Splits a configuration line at its first "=": the key trimmed at the right, the value at the left.
bool SplitKeyValue(const CString& line, CString& key, CString& value) {
  int eq = line.Find('=');
  if (eq <= 0) return false;
  key = line.Left(eq);
  key.TrimRight();
  value = line.Mid(eq + 1);
  value.TrimLeft();
  return true;
}

bool WriteText(FILE* f, const CString& text) {
  return fwrite(text.GetString(), 1, (size_t)text.GetLength(), f) == (size_t)text.GetLength();
}

// "name[n]" with a decimal n >= 0 and nothing after the bracket.
bool ParseIndex(const CString& key, int& index) {
  int open = key.Find('[');
  if (open < 0 || key.GetLength() < open + 3 || key[key.GetLength() - 1] != ']') return false;
  CString digits = key.Mid(open + 1, key.GetLength() - open - 2);
  if (digits.IsEmpty() || digits.GetLength() > 9 || digits.SpanIncluding("0123456789") != digits) return false;
  index = atoi(digits);
  return index <= kMaxListIndex;
}

}  // namespace

CString CMC_Setup::GetConfigurationRelativePath(WORD id) {
  CString path;
  path.Format("Configurations\\%02hX\\%02hX\\", (WORD)(id >> 8), (WORD)(id & 0xFF));
  return path;
}

void CMC_Setup::GetEnabledHomeProcIDs(CUIntArray& ids) const {
  ids.RemoveAll();
  CString text = GetOptionNoError("EnabledHomeProcIDs");
  const char* const seps = " ,\t";
  text.Trim(seps);
  while (!text.IsEmpty()) {
    int k = text.FindOneOf(seps);
    CString item = k < 0 ? text : text.Left(k);
    text = k < 0 ? CString() : text.Mid(k);
    text.TrimLeft(seps);
    // A number beyond int stands as the largest, never cut to a small id.
    const long long id = std::clamp(strtoll(item, nullptr, 10), (long long)INT_MIN, (long long)INT_MAX);
    if (id < 1) break;
    ids.Add((UINT)id);
  }
}

// ---- Reading --------------------------------------------------------------------------------

int CMC_Setup::ReadFromDirectory(CString& dir) {
  // The three files are read as one set, never half replaced by a save.
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  if (!ReadSetupCfg(dir + "setup.cfg")) return 0;
  CString unitsFile = GetOptionNoError("Units_File");
  if (!m_Units.Initialize(unitsFile.IsEmpty() ? nullptr : unitsFile.GetString())) return 0;
  if (!LoadGUIModule()) return 0;
  if (!m_Parameters.ReadFile(dir + "parameters.cfg", *this) || !m_Parameters.AllUnitsAreValid(m_Units)) return 0;
  if (!m_Variables.ReadFile(dir + "variables.cfg", *this) || !m_Variables.AllUnitsAreValid(m_Units)) return 0;
  CString firmwareVariables;
  firmwareVariables.Format("Firmware\\%s\\%s", m_strFirmwareID.GetString(), "variables.cfg");
  if (!m_FirmwareVariables.ReadFile(firmwareVariables, *this) || !m_FirmwareVariables.AllUnitsAreValid(m_Units))
    return 0;
  if (!ReadFirmwareSetupCfg(m_strFirmwareID)) return 0;
  ComputeAddresses();
  ComputeSlaveCount();
  return LoadInterpreterModule() && LoadCompilerModule();
}

int CMC_Setup::ReadSetupCfg(const CString& file) {
  FILE* f = OpenConfigFile(file, 0);
  if (!f) return 0;
  // Messages show the file in the platform's form.
  const CString shown(NativePath(file).c_str());
  m_arrPortFlags.RemoveAll();
  m_arrInputPortNames.RemoveAll();
  m_arrOutputPortNames.RemoveAll();
  m_mapOptions.RemoveAll();
  m_arrOptionNames.RemoveAll();
  m_arrHomingFiles.RemoveAll();
  m_bLoadToE2ROM = 1;
  m_bRunFromE2ROM = 1;
  m_wE2ROMSize = DriveMemory::kE2ROMMaxSize;
  m_wRAMStart = 0x8200;
  m_wRAMSize = 0x7E00;
  m_wZURStartE2ROM = DriveMemory::kE2ROMStart;
  m_wZURSizeRAM = 0;
  m_wCAMSize = 0;
  m_wPVTSize = 0;

  CString line, key, value;
  int lineNumber = 0;
  int mcVersion = 0;  // of a FirmwareID line read so far
  auto scanWord = [](const CString& text, WORD& w) {
    WORD v;
    if (ScanString(text, "%hx", &v) == 1) w = v;
  };
  while (ReadConfigFileLine(f, line, lineNumber)) {
    if (!SplitKeyValue(line, key, value)) {
      CloseFile(f);
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_SYNTAX, shown.GetString(), lineNumber);
      return 0;
    }
    if (key.CompareNoCase("FirmwareID") == 0) {
      if (m_strFirmwareID.IsEmpty()) m_strFirmwareID = value;
      mcVersion = GetMCVersion();
    } else if (key.CompareNoCase("ConfigurationID") == 0) {
      if (m_wConfigurationID == 0) scanWord(value, m_wConfigurationID);
    } else if (key.CompareNoCase("Description") == 0) {
      if (m_strDescription.IsEmpty()) m_strDescription = value;
    } else if (key.CompareNoCase("ProductID") == 0) {
      if (m_strProductID.IsEmpty()) m_strProductID = value;
    } else if (key.CompareNoCase("CompatibleProductIDs") == 0) {
      if (m_strCompatibleProductIDs.IsEmpty()) m_strCompatibleProductIDs = value;
    } else if (key.CompareNoCase("CompatibleFirmwares") == 0) {
      if (m_strCompatibleFirmwares.IsEmpty()) m_strCompatibleFirmwares = value;
    } else if (key.CompareNoCase("UserApplicationID") == 0) {
      if (m_strUserApplicationID.IsEmpty()) m_strUserApplicationID = value;
    } else if (key.CompareNoCase("LoadToE2ROM") == 0 || key.CompareNoCase("RunFromE2ROM") == 0) {
      int v;
      if (ScanString(value, "%x", &v) == 1) (key.CompareNoCase("LoadToE2ROM") == 0 ? m_bLoadToE2ROM : m_bRunFromE2ROM) = v;
    } else if (key.CompareNoCase("E2ROMSize") == 0) {
      scanWord(value, m_wE2ROMSize);
    } else if (key.CompareNoCase("RAMStart") == 0) {
      scanWord(value, m_wRAMStart);
    } else if (key.CompareNoCase("RAMSize") == 0) {
      scanWord(value, m_wRAMSize);
    } else if (key.CompareNoCase("ZURStartE2ROM") == 0) {
      scanWord(value, m_wZURStartE2ROM);
    } else if (key.CompareNoCase("ZURSizeRAM") == 0) {
      scanWord(value, m_wZURSizeRAM);
    } else if (key.CompareNoCase("CAMSize") == 0) {
      scanWord(value, m_wCAMSize);
    } else if (key.CompareNoCase("PVTSize") == 0) {
      scanWord(value, m_wPVTSize);
    } else if (key.CompareNoCase("LoggerBufferAddr") == 0 || key.CompareNoCase("LoggerBufferLen") == 0) {
      // computed from the memory layout
    } else {
      CString upper = key;
      upper.MakeUpper();
      int home = -1;
      if (ScanString(upper, "HOME[%d]", &home) == 1) {
        if (mcVersion >= 3) {
          CloseFile(f);
          ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_KEYWORD_NOT_ALLOWED, shown.GetString(), lineNumber,
                            upper.GetString(), mcVersion);
          return 0;
        }
        int cut = value.FindOneOf(" \t");
        if (cut > 0) value = value.Left(cut);
        if (home >= 0 && home <= kMaxListIndex) m_arrHomingFiles.SetAtGrow(home, value);
      }
      m_arrOptionNames.Add(key);
      m_mapOptions.SetAt(upper, value);
    }
  }
  CloseFile(f);

  const char* missing = m_strFirmwareID.IsEmpty()                  ? "FirmwareID"
                        : m_wConfigurationID == 0                  ? "ConfigurationID"
                        : GetOptionNoError("GUI_File").IsEmpty()   ? "GUI_File"
                                                                   : nullptr;
  if (missing) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_FILE_LACKS_KEY, shown.GetString(), missing);
    return 0;
  }
  if (m_wPVTSize > m_wRAMSize) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_CANNOT_BE_BIGGER, shown.GetString(), "PVTSize", "RAMSize");
    return 0;
  }
  for (INT_PTR i = 0; i < m_arrHomingFiles.GetSize(); ++i) {
    if (m_arrHomingFiles[i].IsEmpty()) {
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_HOMING_GAPS, shown.GetString());
      return 0;
    }
  }
  SetIOInfo();
  if (GetMCVersion() >= 3) {
    for (int p = 0; p <= GetMaxIOPort(0); ++p) {
      if (IsIOPortInverted(p)) {
        ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_NO_SOFTWARE_INVERSION, shown.GetString(), p);
        return 0;
      }
    }
  }
  return 1;
}

int CMC_Setup::ReadFirmwareSetupCfg(const char* firmwareId) {
  CString file;
  file.Format("Firmware\\%s\\%s", firmwareId ? firmwareId : "", "setup.cfg");
  const int mcVersion = GetMCVersion(firmwareId);
  FILE* f = OpenConfigFile(file, 0);
  if (!f) return 0;
  const CString shown(NativePath(file).c_str());
  m_arrInterruptDesc.RemoveAll();
  m_arrSwProtectionDesc.RemoveAll();
  m_dwSwProtectionsMask = 0;
  m_dwStatusRegMask = 0;
  m_dwErrorRegMask = 0;
  m_arrStatusRegDesc.RemoveAll();
  m_arrStatusRegDesc.SetSize(32);
  m_arrErrorRegDesc.RemoveAll();
  m_arrErrorRegDesc.SetSize(32);
  if (mcVersion >= 3) m_arrHomingFiles.RemoveAll();

  CString line, key, value;
  int lineNumber = 0;
  auto fail = [&](UINT id, const char* keyword) {
    CloseFile(f);
    if (id == IDS_SETUP_SYNTAX)
      ShowKernelMessage(MB_ICONEXCLAMATION, id, shown.GetString(), lineNumber);
    else
      ShowKernelMessage(MB_ICONEXCLAMATION, id, shown.GetString(), lineNumber, keyword, mcVersion);
    return 0;
  };
  while (ReadConfigFileLine(f, line, lineNumber)) {
    if (!SplitKeyValue(line, key, value)) return fail(IDS_SETUP_SYNTAX, nullptr);
    int open = key.Find('[');
    if (open < 0) {
      if (key.CompareNoCase("StatusRegMask") == 0 || key.CompareNoCase("ErrorRegMask") == 0) {
        DWORD& mask = key.CompareNoCase("StatusRegMask") == 0 ? m_dwStatusRegMask : m_dwErrorRegMask;
        DWORD v;
        if (mask == 0 && ScanString(value, "%lx", &v) == 1) mask = v;
      } else if (key.CompareNoCase("HomeProcCount") == 0) {
        if (mcVersion < 3) return fail(IDS_SETUP_KEYWORD_NOT_ALLOWED, "HomeProcCount");
        int count = -1;
        if (ScanString(value, "%d", &count) != 1 || count < 0 || count > kMaxListIndex + 1)
          return fail(IDS_SETUP_SYNTAX, nullptr);
        if (m_arrHomingFiles.GetSize() == 0) {
          m_arrHomingFiles.SetSize(count);
          CUIntArray ids;
          GetEnabledHomeProcIDs(ids);
          for (INT_PTR i = 0; i < ids.GetSize(); ++i) {
            if ((int)ids[i] > count) continue;
            CString name;
            name.Format("home%d.cfg", (int)ids[i]);
            m_arrHomingFiles[ids[i] - 1] = name;
          }
        }
      } else {
        return fail(IDS_SETUP_SYNTAX, nullptr);
      }
      continue;
    }
    CString text;
    if (!ReadEscapedStringFromConfigLine(value, text)) return fail(IDS_SETUP_SYNTAX, nullptr);
    CString name = key.Left(open);
    enum { kInterrupt, kProtection, kStatus, kError, kDefaultHome } kind;
    if (name.CompareNoCase("InterruptDesc") == 0) kind = kInterrupt;
    else if (name.CompareNoCase("SoftwareProtDesc") == 0) kind = kProtection;
    else if (name.CompareNoCase("StatusRegDesc") == 0) kind = kStatus;
    else if (name.CompareNoCase("ErrorRegDesc") == 0) kind = kError;
    else if (name.CompareNoCase("DefaultHomeProc") == 0) kind = kDefaultHome;
    else return fail(IDS_SETUP_SYNTAX, nullptr);
    if (kind == kDefaultHome && mcVersion < 3) return fail(IDS_SETUP_KEYWORD_NOT_ALLOWED, "DefaultHomeProc");
    int index;
    if (!ParseIndex(key, index)) continue;
    switch (kind) {
      case kInterrupt: m_arrInterruptDesc.SetAtGrow(index, text); break;
      case kProtection:
        m_arrSwProtectionDesc.SetAtGrow(index, text);
        m_dwSwProtectionsMask |= 1u << (index % 32);
        break;
      case kStatus:
        if (index <= 31) m_arrStatusRegDesc[index] = text;
        break;
      case kError:
        if (index <= 31) m_arrErrorRegDesc[index] = text;
        break;
      case kDefaultHome: break;
    }
  }
  CloseFile(f);
  return 1;
}

int CMC_Setup::SetFirmwareID(const char* id) {
  if (!id || !ReadFirmwareSetupCfg(id)) return 0;
  m_strFirmwareID = id;
  return 1;
}

// ---- Writing --------------------------------------------------------------------------------

int CMC_Setup::WriteSetupCfg(CConfigFileWriter& writer, int withSlaveCount) {
  CString out, line;
  auto text = [&](const char* key, const CString& value) {
    line.Format("%s\t= %s\r\n", key, value.GetString());
    out += line;
  };
  auto word = [&](const char* key, WORD value) {
    line.Format("%s\t= %04hX\r\n", key, value);
    out += line;
  };
  auto flag = [&](const char* key, int value) {
    line.Format("%s\t= %d\r\n", key, value);
    out += line;
  };
  text("FirmwareID", m_strFirmwareID);
  word("ConfigurationID", m_wConfigurationID);
  text("Description", m_strDescription);
  text("ProductID", m_strProductID);
  if (!m_strCompatibleProductIDs.IsEmpty()) text("CompatibleProductIDs", m_strCompatibleProductIDs);
  if (!m_strCompatibleFirmwares.IsEmpty()) text("CompatibleFirmwares", m_strCompatibleFirmwares);
  if (!m_strUserApplicationID.IsEmpty()) text("UserApplicationID", m_strUserApplicationID);
  word("E2ROMSize", m_wE2ROMSize);
  word("RAMStart", m_wRAMStart);
  word("RAMSize", m_wRAMSize);
  flag("LoadToE2ROM", m_bLoadToE2ROM);
  flag("RunFromE2ROM", m_bRunFromE2ROM);
  word("ZURStartE2ROM", m_wZURStartE2ROM);
  word("ZURSizeRAM", m_wZURSizeRAM);
  word("CAMSize", m_wCAMSize);
  word("PVTSize", m_wPVTSize);
  for (INT_PTR i = 0; i < m_arrOptionNames.GetSize(); ++i)
    text(m_arrOptionNames[i], GetOptionNoError(m_arrOptionNames[i]));
  if (withSlaveCount && IsMotionController()) {
    line.Format("%s\t= %hd\r\n", "SlaveCount", (short)m_bySlaveCount);
    out += line;
  }
  return writer.WriteEntries(1, [&](FILE* f, int) { return WriteText(f, out) ? 1 : 0; });
}

int CMC_Setup::WriteToDirectory(CString& dir) {
  // The three files are complete before any of the old ones is replaced, and replace them as one.
  // Saves of one folder take turns from their first new file on, so that the files a stopped save
  // left are never taken for those of a live one.
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  const CString names[] = {ShownFileName(dir + "setup.cfg"), ShownFileName(dir + "parameters.cfg"),
                           ShownFileName(dir + "variables.cfg")};
  // A file that a link leads out of the folder is refused before any new file is made beside it.
  for (const CString& name : names)
    if (!CheckConfigSetFile(dir, name)) return 0;
  // A folder where setup.cfg goes makes a failed write of it, told as every other one is.
  if (ExistDirectory(names[0])) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_CANNOT_WRITE, names[0].GetString());
    return 0;
  }
  CConfigFileWriter setup(names[0]), parameters(names[1]), variables(names[2]);
  return WriteSetupCfg(setup, 0) && m_Parameters.WriteFile(parameters) && m_Variables.WriteFile(variables) &&
         CommitConfigFiles(dir, {&setup, &parameters, &variables});
}

int CMC_Setup::SaveToDirectory(const char* dir) {
  CString folder = ResolveConfigFileName(dir);
  if (folder.IsEmpty()) return 0;
  if (!ExistDirectory(folder) && !CreateDirectory(folder)) {
    if (g_bShowErrors) ShowLastError(MB_ICONSTOP);
    return 0;
  }
  CString d = FolderFilePrefix(dir);
  return WriteToDirectory(d);
}

int CMC_Setup::ExportForVKS_Lib(const char* dir, CMC_CoffFormat* coff) {
  const CString d = FolderFilePrefix(dir);
  CConfigFileWriter setupCfg(ShownFileName(d + "setup.cfg"));
  if (!WriteSetupCfg(setupCfg, 1) || !setupCfg.Commit()) return 0;
  // Written as the other files are, so that a failure leaves its cause for the caller.
  CConfigFileWriter variables(ShownFileName(d + "variables.cfg"));
  FILE* f = variables.Open();
  if (!f) return 0;
  const CString rule(CString('#', 37) + "\r\n");
  auto banner = [&](const char* title) { return WriteText(f, rule + title + "\r\n" + rule); };
  const bool ok = banner("#Firmware variables") && m_FirmwareVariables.AppendInSimplifiedFormToFile(f) &&
                  banner("#Configuration variables") && m_Variables.AppendInSimplifiedFormToFile(f) &&
                  banner("#User defined variables and labels") && (!coff || coff->AppendSymbolsToVariablesCfgFile(f));
  return variables.Close(ok) && variables.Commit();
}

// ---- Import ---------------------------------------------------------------------------------

namespace {

// The parameter of `other` that gives this setup's parameter `name` its value when an older
// single-loop setup is imported into a dual-loop one.
CMC_Parameter* MappedSource(CMC_Setup& other, const CString& name) {
  struct Alias {
    const char* target;
    const char* sources[2];
  };
  static const Alias kAliases[] = {
      {"Resolution", {"EncoderResolution", "EncRes"}},
      {"Resolution_LD", {"EncoderResolution", "EncRes"}},
      {"No_encoder_lines_LD", {"No_encoder_lines", nullptr}},
      {"FilterEncValue_MT", {"FilterEncValue", nullptr}},
      {"FilterEncValue_LD", {"FilterEncValue", nullptr}},
      {"ReverseCounting_MT", {"ReverseCounting", nullptr}},
      {"ReverseCounting_LD", {"ReverseCounting", nullptr}},
      {"COUNTINGDIR_MT", {"COUNTINGDIR", nullptr}},
      {"COUNTINGDIR_LD", {"COUNTINGDIR", nullptr}},
  };
  for (const Alias& a : kAliases) {
    if (name != a.target) continue;
    for (const char* s : a.sources)
      if (s)
        if (CMC_Parameter* p = other.FindParameter(s)) return p;
    return nullptr;
  }
  return nullptr;
}

}  // namespace

int CMC_Setup::ImportFromDirectory(const char* dir) {
  m_bTestPerformedDuringEdit = 0;
  if (!m_pfnEditSetup) return 0;
  CMC_Setup* other = CreateFromDirectory(dir);
  if (!other) return 0;
  if (other->m_strProductID != m_strProductID && m_strCompatibleProductIDs.Find(other->m_strProductID) < 0) {
    Destroy(other);
    ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_INCOMPATIBLE);
    return 0;
  }
  CObArrayEx<CMC_Parameter> backup;
  BackupParameters(backup);
  const CString speedTuning = GetOptionNoError("SpeedTuningOscSettings");
  const CString positionTuning = GetOptionNoError("PositionTuningOscSettings");
  const CString userApp = m_strUserApplicationID;
  {
    CQuietErrors quiet;
    m_strUserApplicationID = other->m_strUserApplicationID;
    const bool mapNames = !other->FindParameter("MotorSensorType") && FindParameter("MotorSensorType");
    for (int i = 0; i < m_Parameters.GetSize(); ++i) {
      CMC_Parameter* p = m_Parameters.GetAt(i);
      if (!p) continue;
      const CString name = p->GetName();
      CMC_Parameter* source = other->FindParameter(name);
      if (mapNames) {
        if (name == "MECRESL" && !source) {
          if (CMC_Parameter* lines = other->FindParameter("No_encoder_lines"))
            p->SetValueInBaseUnit(4 * lines->GetValueInBaseUnit());
          continue;
        }
        if (name == "MotorSensorType" && !source) {
          if (CMC_Parameter* sc = other->FindParameter("SensorsConfiguration"))
            p->SetValueInBaseUnit(sc->GetValueInBaseUnit() != 0 ? 2 : 1);
          continue;
        }
        if (name == "LoadSensorType" && !source) {
          if (CMC_Parameter* sc = other->FindParameter("SensorsConfiguration"))
            p->SetValueInBaseUnit((int)sc->GetValueInBaseUnit() == 2 ? 1 : 0);
          continue;
        }
        if (CMC_Parameter* mapped = MappedSource(*other, name)) source = mapped;
        if (name == "isMotorInertiaUnknown" && !source) source = other->FindParameter("isMotorMassUnknown");
        if (name == "TransmissionType" && source) {
          if (other->GetGUIModuleName().Find("_lin") >= 0)
            p->SetValueInBaseUnit(source->GetValueInBaseUnit() == 1 ? 2 : 3);
          else
            p->SetValueInBaseUnit(source->GetValueInBaseUnit());
          continue;
        }
      }
      if (!source) continue;
      const double v = source->GetValueInBaseUnit();
      p->SetValueInBaseUnit(v);
      if (p->GetValueInBaseUnit() != v) {
        // the value lay outside this parameter's limits: take the source's limits too
        p->SetMinInBaseUnit(source->GetMinInBaseUnit());
        p->SetMaxInBaseUnit(source->GetMaxInBaseUnit());
        p->SetValueInBaseUnit(v);
      }
    }
  }
  Destroy(other);
  SetupComputeAllOptions();
  const int result = m_pfnEditSetup ? m_pfnEditSetup(this) : 0;
  if (result) {
    SetupComputeAllOptions();
    UpdateCANopenFactors(this);
  } else {
    RestoreParameters(backup);
    if (speedTuning.IsEmpty()) ClearOption("SpeedTuningOscSettings");
    else SetOption("SpeedTuningOscSettings", speedTuning);
    if (positionTuning.IsEmpty()) ClearOption("PositionTuningOscSettings");
    else SetOption("PositionTuningOscSettings", positionTuning);
    m_strUserApplicationID = userApp;
  }
  CleanupBackupParameters(backup);
  return result;
}
