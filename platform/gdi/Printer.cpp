#include "platform/gdi/Printer.h"

#include "platform/gdi/DCImpl.h"
#include "platform/core/FileSystem.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

using namespace gdi;

namespace {

std::mutex& PrinterLock() {
  static std::mutex m;
  return m;
}
std::string g_folder;
short g_paper = DMPAPER_A4;
short g_orientation = DMORIENT_PORTRAIT;

}  // namespace

void SetPrinterOutputFolder(LPCSTR folder) {
  std::lock_guard<std::mutex> g(PrinterLock());
  g_folder = folder ? folder : "";
}

CString GetPrinterOutputFolder() {
  std::lock_guard<std::mutex> g(PrinterLock());
  if (!g_folder.empty()) return CString(g_folder);
  if (const char* env = std::getenv("DRAVONIX_PRINT_DIR"))
    if (*env) return CString(env);
  std::error_code ec;
  return CString((std::filesystem::temp_directory_path(ec) / "dravonix-print").string());
}

void SetPrinterPaper(short paperSize, short orientation) {
  std::lock_guard<std::mutex> g(PrinterLock());
  g_paper = paperSize;
  g_orientation = orientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
}

LPCSTR GetPrinterDeviceName() { return "Dravonix PDF Printer"; }
LPCSTR GetPrinterDriverName() { return "winspool"; }
LPCSTR GetPrinterPortName() { return "PDF:"; }

void GetPaperSize(short paperSize, int& w, int& h) {
  switch (paperSize) {
    case DMPAPER_LETTER: w = 2159; h = 2794; break;
    case DMPAPER_LEGAL: w = 2159; h = 3556; break;
    case DMPAPER_A3: w = 2970; h = 4200; break;
    case DMPAPER_A5: w = 1480; h = 2100; break;
    default: w = 2100; h = 2970; break;
  }
}

void GetPrinterDevMode(DEVMODE* dm) {
  if (!dm) return;
  std::memset(dm, 0, sizeof(*dm));
  std::strncpy(reinterpret_cast<char*>(dm->dmDeviceName), GetPrinterDeviceName(), CCHDEVICENAME - 1);
  dm->dmSpecVersion = DM_SPECVERSION;
  dm->dmSize = sizeof(DEVMODE);
  dm->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                 DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_YRESOLUTION | DM_COLLATE;
  std::lock_guard<std::mutex> g(PrinterLock());
  dm->dmOrientation = g_orientation;
  dm->dmPaperSize = g_paper;
  int w, h;
  GetPaperSize(g_paper, w, h);
  dm->dmPaperWidth = (SHORT)w;
  dm->dmPaperLength = (SHORT)h;
  dm->dmScale = 100;
  dm->dmCopies = 1;
  dm->dmPrintQuality = 600;
  dm->dmYResolution = 600;
  dm->dmColor = DMCOLOR_COLOR;
  dm->dmDuplex = DMDUP_SIMPLEX;
  dm->dmLogPixels = 600;
}

std::vector<BYTE> GetPrinterDevNames() {
  std::string drv = GetPrinterDriverName(), dev = GetPrinterDeviceName(), port = GetPrinterPortName();
  std::vector<BYTE> out(sizeof(DEVNAMES));
  DEVNAMES dn{};
  dn.wDriverOffset = (WORD)sizeof(DEVNAMES);
  dn.wDeviceOffset = (WORD)(dn.wDriverOffset + drv.size() + 1);
  dn.wOutputOffset = (WORD)(dn.wDeviceOffset + dev.size() + 1);
  dn.wDefault = DN_DEFAULTPRN;
  std::memcpy(out.data(), &dn, sizeof(dn));
  for (const std::string* s : {&drv, &dev, &port}) {
    out.insert(out.end(), s->begin(), s->end());
    out.push_back(0);
  }
  return out;
}

namespace gdi {

void PrinterPage(const DEVMODE* dm, int& wPx, int& hPx, int& wMm, int& hMm) {
  DEVMODE def;
  if (!dm) {
    GetPrinterDevMode(&def);
    dm = &def;
  }
  int w, h;
  GetPaperSize(dm->dmPaperSize, w, h);
  if ((dm->dmFields & DM_PAPERWIDTH) && (dm->dmFields & DM_PAPERLENGTH) && dm->dmPaperWidth > 0 && dm->dmPaperLength > 0) {
    w = dm->dmPaperWidth;
    h = dm->dmPaperLength;
  }
  if (dm->dmOrientation == DMORIENT_LANDSCAPE) std::swap(w, h);
  wPx = MulDiv(w, 600, 254);
  hPx = MulDiv(h, 600, 254);
  wMm = (w + 5) / 10;
  hMm = (h + 5) / 10;
}

PrintJob::~PrintJob() {
  if (pdf) {
    cairo_surface_finish(pdf);
    cairo_surface_destroy(pdf);
  }
  if (out.file) std::fclose(out.file);
}

namespace {

// Ends the PDF and closes its file: false with the last error set when any of it could not be
// written.
bool FinishPdf(PrintJob& job) {
  cairo_surface_finish(job.pdf);
  const bool finished = cairo_surface_status(job.pdf) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(job.pdf);
  job.pdf = nullptr;
  return job.out.Close(finished);
}

}  // namespace

}  // namespace gdi

namespace {

std::string SafeFileName(const std::string& title) {
  std::string out;
  for (char c : title) {
    unsigned char u = (unsigned char)c;
    if (u < 32 || std::strchr("\\/:*?\"<>|", c)) out += '_';
    else out += c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  return out.empty() ? "Document" : out;
}

}  // namespace

int CDC::StartDoc(LPCTSTR docName) {
  DOCINFO di{};
  di.cbSize = sizeof(di);
  di.lpszDocName = docName;
  return StartDoc(&di);
}

int CDC::StartDoc(const DOCINFO* info) {
  Impl& d = *m_impl;
  if (d.kind != DCKind::Printer || !info) return SP_ERROR;
  if (d.job && d.job->inDoc) return SP_ERROR;
  auto job = std::make_unique<PrintJob>();
  job->title = info->lpszDocName ? info->lpszDocName : "";
  std::string path;
  if (info->lpszOutput && *info->lpszOutput) {
    path = info->lpszOutput;
  } else {
    std::filesystem::path dir(GetPrinterOutputFolder().str());
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string base = SafeFileName(job->title);
    std::filesystem::path p = dir / (base + ".pdf");
    for (int i = 2; std::filesystem::exists(p, ec); ++i) p = dir / (base + " (" + std::to_string(i) + ").pdf");
    path = p.string();
  }
  job->path = path;
  job->pageW = d.horzRes;
  job->pageH = d.vertRes;
  double wPt = job->pageW * 72.0 / d.dpiX, hPt = job->pageH * 72.0 / d.dpiY;
  job->abort = d.job ? d.job->abort : nullptr;
  // A job that cannot start stays as the context's last one, so GetPrintFileName names its file.
  auto refuse = [&] {
    d.job = std::move(job);
    return SP_ERROR;
  };
  job->save = std::make_unique<CSaveBeside>(path.c_str());
  if (job->save->GetTempName().IsEmpty()) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_INVALID_NAME);
    return refuse();
  }
  // Only through the descriptor that made the temporary file: its name is never opened again.
  job->out.file = job->save->OpenStream();
  if (!job->out.file) {
    SetLastErrorFromErrno(errno ? errno : EBADF);
    return refuse();
  }
  job->pdf = cairo_pdf_surface_create_for_stream(CairoFileOut::Write, &job->out, wPt, hPt);
  if (cairo_surface_status(job->pdf) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(job->pdf);
    job->pdf = nullptr;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return refuse();
  }
  cairo_pdf_surface_set_metadata(job->pdf, CAIRO_PDF_METADATA_TITLE, job->title.c_str());
  cairo_pdf_surface_set_metadata(job->pdf, CAIRO_PDF_METADATA_CREATOR, "dravonix");
  job->inDoc = true;
  d.job = std::move(job);
  d.SetSurface(d.job->pdf, POINT{0, 0}, Region::FromRect(0, 0, d.horzRes, d.vertRes), false, 72.0 / d.dpiX);
  static int jobId = 0;
  return ++jobId;
}

int CDC::StartPage() {
  Impl& d = *m_impl;
  if (!d.job || !d.job->inDoc || d.job->inPage) return SP_ERROR;
  d.job->inPage = true;
  return 1;
}

int CDC::EndPage() {
  Impl& d = *m_impl;
  if (!d.job || !d.job->inDoc || !d.job->inPage) return SP_ERROR;
  d.DropContext();
  cairo_surface_show_page(d.job->pdf);
  d.job->inPage = false;
  d.job->pages++;
  if (d.job->abort && !d.job->abort(m_hDC, 0)) {
    AbortDoc();
    return SP_APPABORT;
  }
  return 1;
}

int CDC::EndDoc() {
  Impl& d = *m_impl;
  if (!d.job || !d.job->inDoc) return SP_ERROR;
  if (d.job->inPage) EndPage();
  if (!d.job) return SP_ERROR;
  d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(0, 0, d.horzRes, d.vertRes), false);
  const bool written = gdi::FinishPdf(*d.job);
  d.job->inDoc = false;
  if (written && d.job->save->Commit()) return 1;
  // A document not written whole leaves what the file held before; the last error says why.
  d.job->save->Discard();
  return SP_ERROR;
}

int CDC::AbortDoc() {
  Impl& d = *m_impl;
  if (!d.job || !d.job->inDoc) return SP_ERROR;
  d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(0, 0, d.horzRes, d.vertRes), false);
  gdi::FinishPdf(*d.job);
  // What the file held before stays.
  d.job->save->Discard();
  d.job->inDoc = false;
  d.job->inPage = false;
  return 1;
}

int CDC::SetAbortProc(ABORTPROC proc) {
  Impl& d = *m_impl;
  if (d.kind != DCKind::Printer) return SP_ERROR;
  if (!d.job) d.job = std::make_unique<PrintJob>();
  d.job->abort = proc;
  return 1;
}

CString CDC::GetPrintFileName() const {
  const Impl& d = *m_impl;
  return d.job ? CString(d.job->path) : CString();
}
