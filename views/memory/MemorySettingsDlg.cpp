#include "views/memory/MemorySettingsDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Format.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"

#include <algorithm>

namespace {

enum : int {
  IDC_LOAD_E2ROM = 14000,
  IDC_LOAD_RAM = 14001,
  IDC_CAM_SIZE = 14002,
  IDC_ZUR_START = 14003,
  IDC_ZUR_SIZE_RAM = 14004,
  IDC_ZUR_SIZE_RUN = 14005,
  IDC_RUN_E2ROM = 14006,
  IDC_RUN_RAM = 14007,
  IDC_E2ROM_MAP = 14008,
  IDC_RAM_MAP = 14009,
  IDC_CAM_USAGE = 14010,
  IDC_HELP_BUTTON = 57671,
};

CString Range(LONG from, LONG to, const char* what) {
  CString line;
  line.Format("%04hX..%04hX - %s\r\n", (WORD)from, (WORD)to, what);
  return line;
}

}  // namespace

IMPLEMENT_DYNAMIC(CMemorySettingsDlg, CDialog)

BEGIN_MESSAGE_MAP(CMemorySettingsDlg, CDialog)
ON_BN_CLICKED(IDC_LOAD_E2ROM, &CMemorySettingsDlg::OnLoadToE2ROM)
ON_BN_CLICKED(IDC_LOAD_RAM, &CMemorySettingsDlg::OnLoadToRAM)
ON_BN_CLICKED(IDC_RUN_E2ROM, &CMemorySettingsDlg::OnRunFromE2ROM)
ON_BN_CLICKED(IDC_RUN_RAM, &CMemorySettingsDlg::OnRunFromRAM)
ON_EN_CHANGE(IDC_CAM_SIZE, &CMemorySettingsDlg::OnEditChange)
ON_EN_CHANGE(IDC_ZUR_START, &CMemorySettingsDlg::OnEditChange)
ON_EN_CHANGE(IDC_ZUR_SIZE_RAM, &CMemorySettingsDlg::OnEditChange)
ON_EN_CHANGE(IDC_ZUR_SIZE_RUN, &CMemorySettingsDlg::OnEditChange)
ON_BN_CLICKED(IDC_HELP_BUTTON, &CMemorySettingsDlg::OnHelp)
END_MESSAGE_MAP()

CMemorySettingsDlg::CMemorySettingsDlg(WORD e2romSize, WORD ramStart, WORD ramSize, WORD setupTableSize, WORD arg,
                                       WORD pvtSize, CWnd* pParent)
    : CDialog(IDD, pParent),
      m_wE2ROMSize(e2romSize),
      m_wRAMStart(ramStart),
      m_wRAMSize(ramSize),
      m_wSetupTableSize(setupTableSize),
      m_wArg(arg),
      m_wPVTSize(pvtSize) {}

BOOL CMemorySettingsDlg::OnInitDialog() {
  m_bShowMessages = 1;
  BOOL result = CDialog::OnInitDialog();
  m_bShowMessages = 0;
  return result;
}

void CMemorySettingsDlg::OnOK() {
  m_bShowMessages = 1;
  CDialog::OnOK();
  m_bShowMessages = 0;
}

void CMemorySettingsDlg::DoDataExchange(CDataExchange* pDX) {
  bool valid = true;
  m_bReloading = !pDX->m_bSaveAndValidate;
  try {
    Exchange(pDX, valid);
  } catch (...) {
    m_bReloading = false;
    UpdateMaps(false);
    throw;
  }
  m_bReloading = false;
  if (!valid) {
    // Silent: the user is still typing, the focus stays where it is.
    UpdateMaps(false);
    AfxThrowUserException();
  }
  UpdateMaps(true);
}

void CMemorySettingsDlg::Exchange(CDataExchange* pDX, bool& valid) {
  const bool save = pDX->m_bSaveAndValidate;
  const LONG E = m_wE2ROMSize, T = m_wSetupTableSize, R = m_wRAMSize, P = m_wPVTSize;
  auto refuse = [&](const CString& text) {
    valid = false;
    if (m_bShowMessages) {
      AfxMessageBox(text, MB_ICONEXCLAMATION);
      pDX->Fail();
    }
  };
  const bool inE2ROM = m_bLoadToE2ROM != 0;
  const bool runsInPlace = inE2ROM && m_bRunFromE2ROM;
  if (!save) {
    auto enable = [&](int id, bool on) {
      if (CWnd* w = GetDlgItem(id)) {
        w->EnableWindow(on);
        if (!on) w->SetWindowText("");
      }
    };
    enable(IDC_CAM_SIZE, m_bSupportCAMTables != 0);
    CheckDlgButton(IDC_LOAD_E2ROM, inE2ROM ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_LOAD_RAM, inE2ROM ? BST_UNCHECKED : BST_CHECKED);
    enable(IDC_ZUR_START, inE2ROM);
    for (int id : {IDC_RUN_E2ROM, IDC_RUN_RAM}) {
      if (CWnd* w = GetDlgItem(id)) w->EnableWindow(inE2ROM);
    }
    CheckDlgButton(IDC_RUN_E2ROM, inE2ROM && m_bRunFromE2ROM ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RUN_RAM, inE2ROM && !m_bRunFromE2ROM ? BST_CHECKED : BST_UNCHECKED);
    enable(IDC_ZUR_SIZE_RUN, inE2ROM && !m_bRunFromE2ROM);
    enable(IDC_ZUR_SIZE_RAM, !inE2ROM);
  }

  // A disabled, emptied edit has nothing to read.
  if (m_bSupportCAMTables) DDX_HexaNumber(pDX, IDC_CAM_SIZE, m_wCAMSize, m_bShowMessages);
  const LONG C = m_wCAMSize;
  if (save && C != 0) {
    if (E < T + 80) {
      refuse("You cannot use CAM tables in current configuration.\r\nInsufficient E2ROM memory.");
    } else if (R <= P) {
      refuse("You cannot use CAM tables in current configuration.\r\nInsufficient RAM memory.");
    } else {
      const LONG most = std::min(E - T - 80, R - P);
      if (C > most) refuse(FormatString("Maximum CAM tables size is 0x%04hX!", (WORD)most));
    }
  }

  if (inE2ROM) {
    if (E < T + 80 + C) refuse("You cannot load VKS program in current configuration.\r\nInsufficient E2ROM memory.");
    DDX_HexaNumber(pDX, IDC_ZUR_START, m_wZURStartE2ROM, m_bShowMessages);
    const LONG last = E - C - T + DriveMemory::kSetupTableEndBase;
    if (m_wZURStartE2ROM < DriveMemory::kE2ROMStart || m_wZURStartE2ROM > last)
      refuse(
          FormatString("Please set a value between 0x%04hX and 0x%04hX!", (WORD)DriveMemory::kE2ROMStart, (WORD)last));
    if (runsInPlace) return;
  }
  if (R <= P || R - P <= C)
    refuse("You cannot run VKS program in current configuration.\r\nInsufficient RAM memory.");
  DDX_HexaNumber(pDX, inE2ROM ? IDC_ZUR_SIZE_RUN : IDC_ZUR_SIZE_RAM, m_wZURSizeRAM, m_bShowMessages);
  LONG most = R - C - P;
  if (inE2ROM) most = std::min(R - P - C, E - (LONG)m_wZURStartE2ROM - T - C + DriveMemory::kSetupTableEndBase);
  if ((LONG)m_wZURSizeRAM > most)
    refuse(FormatString("Please set a value between 0x%04hX and 0x%04hX!", (WORD)0, (WORD)std::max<LONG>(most, 0)));
}

void CMemorySettingsDlg::UpdateMaps(bool valid) {
  if (!m_hWnd) return;
  const LONG E = m_wE2ROMSize, T = m_wSetupTableSize, R = m_wRAMSize, P = m_wPVTSize, C = m_wCAMSize;
  const LONG S = m_wZURStartE2ROM, Z = m_wZURSizeRAM;
  const bool inE2ROM = m_bLoadToE2ROM != 0, runsInPlace = inE2ROM && m_bRunFromE2ROM;

  CString usage;
  if (!m_bSupportCAMTables) {
    usage = "CAM Tables not available in current configuration";
  } else {
    usage.Format("Space needed for CAM Tables %04hX H", m_wArg);
    if (C < m_wArg) usage += "\tOverflow! Insufficient space for Cam Tables";
  }
  SetDlgItemText(IDC_CAM_USAGE, usage);

  CString e2rom;
  if (valid && T + C + 80 <= E) {
    LONG a = DriveMemory::kE2ROMStart;
    const LONG K = E - T - C + DriveMemory::kSetupTableEndBase;
    if (inE2ROM) {
      if (S > DriveMemory::kE2ROMStart) e2rom += Range(DriveMemory::kE2ROMStart, S - 1, "free");
      a = S;
      if (T + C + 80 < E) {
        if (!runsInPlace && Z != 0) {
          e2rom += Range(a, a + Z - 1, "VKS Program");
          a += Z;
        } else if (runsInPlace) {
          e2rom += Range(a, K - 1, "VKS Program");
          a = K;
        }
      }
    }
    if (a < K) {
      e2rom += Range(a, K - 1, "free");
      a = K;
    }
    if (C) {
      e2rom += Range(a, a + C - 1, "CAM Tables");
      a += C;
    }
    e2rom += Range(a, E + 0x3FFF, "Setup Table");
  }
  SetDlgItemText(IDC_E2ROM_MAP, e2rom);

  CString ram;
  if (valid) {
    LONG a = m_wRAMStart;
    // A program running in place takes no RAM: the acquisitions get it, as the setup lays it out.
    LONG z = 0;
    if (P && P <= R) {
      ram += Range(a, a + P - 1, "PVT Buffer");
      a += P;
    }
    if (!runsInPlace && Z) {
      ram += Range(a, a + Z - 1, "VKS Program");
      a += Z;
      z = Z;
    }
    if (z + P + C < R) {
      const LONG rest = R - P - z - C;
      ram += Range(a, a + rest - 1, "Data Acquisitions");
      a += rest;
    }
    if (C) ram += Range(a, a + C - 1, "CAM Tables");
  }
  SetDlgItemText(IDC_RAM_MAP, ram);
}

void CMemorySettingsDlg::OnLoadToE2ROM() {
  m_bLoadToE2ROM = 1;
  UpdateData(FALSE);
}

void CMemorySettingsDlg::OnLoadToRAM() {
  m_bLoadToE2ROM = 0;
  UpdateData(FALSE);
}

void CMemorySettingsDlg::OnRunFromE2ROM() {
  m_bRunFromE2ROM = 1;
  UpdateData(FALSE);
}

void CMemorySettingsDlg::OnRunFromRAM() {
  m_bRunFromE2ROM = 0;
  UpdateData(FALSE);
}

void CMemorySettingsDlg::OnEditChange() {
  // Reloading the controls changes their texts too; that is no typing.
  if (m_bReloading) return;
  UpdateData(TRUE);
}

void CMemorySettingsDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, 4133); }
