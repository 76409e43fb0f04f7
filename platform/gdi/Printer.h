// The layer's printer: a 600 dpi device that writes every document as a PDF file, and its defaults.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"

#include <vector>

// Where documents go when StartDoc names no output file: DRAVONIX_PRINT_DIR, else <temp>/dravonix-print.
void SetPrinterOutputFolder(LPCSTR folder);
CString GetPrinterOutputFolder();
// Paper of the print set-up (DMPAPER_A4 by default) and orientation (DMORIENT_PORTRAIT by default).
void SetPrinterPaper(short paperSize, short orientation);
// The printer's names as a print set-up reports them.
LPCSTR GetPrinterDeviceName();  // "Dravonix PDF Printer"
LPCSTR GetPrinterDriverName();  // "winspool"
LPCSTR GetPrinterPortName();    // "PDF:"
// Fills a DEVMODE with the printer's current defaults.
void GetPrinterDevMode(DEVMODE* dm);
// A DEVNAMES block (the structure followed by the driver, device and port names) for the defaults.
std::vector<BYTE> GetPrinterDevNames();
// Paper size in tenths of a millimetre for a DMPAPER_ value (A4 for unknown values).
void GetPaperSize(short paperSize, int& widthTenthsMm, int& heightTenthsMm);
