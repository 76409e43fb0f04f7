// Free helpers of the kernel: printing and parsing numbers, dialog validation, files and folders.
#pragma once

#include "kernel/values/MC_Value.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

class CDataExchange;
struct HWND__;

// ---- Numbers -----------------------------------------------------------------------------------
// A negative `decimals` asks for significant digits; -32768 means "no precision".
void PrintDoubleValue(double value, tagVarType type, CString& out, int decimals);
void PrintDecimalValue(double& value, tagVarType type, CString& out, WORD decimals);
int ScanDecimalValue(double& value, tagVarType type, CString& text);
void PrintHexaNumber(double& value, WORD words, CString& out);
int ScanHexaNumber(double& value, WORD words, CString& text);
// Drops trailing zeros of the fraction (and the point unless `keepPoint`) and a zero exponent.
void MinimizeFloatFormat(CString& text, int keepPoint);
// "[type]@address", e.g. "long@0x1000" or "@100" (int).
int LocateMemoryAddress(const CString& text, WORD& address, tagVarType& type);
double RoundDecimalValue(double value, short digits);
double TruncateDecimalValue(double value, short digits);
double PowerOf10(short n);
LONG GreatestCommonDivisor(LONG a, LONG b);
// In 0 .. |m|-1; 0 for m == 0.
LONG PositiveModulo(LONG a, LONG m);
// The closest fraction with 16-bit numerator and denominator; results are cached.
int RationalApproximation(double x, WORD& numerator, WORD& denominator);

// ---- Dialog data exchange and validation -------------------------------------------------------
void DDV_NotEmpty(CDataExchange* pDX, const CString& text);
void DDV_FileName(CDataExchange* pDX, const CString& text);
void DDV_ComboItemNotSelected(CDataExchange* pDX, int index);
void DDV_RadioNotSelected(CDataExchange* pDX, int index);
void DDV_SymbolName(CDataExchange* pDX, CString& text);
void DDV_SymbolOrNumber(CDataExchange* pDX, CString& text);
void DDV_SymbolsList(CDataExchange* pDX, CString& text);
void DDX_HexaNumber(CDataExchange* pDX, int id, WORD& value, int showError);
void DDX_HexaNumber(CDataExchange* pDX, int id, DWORD& value, int showError);

// Enables or disables a control of a dialog. One disabled while it holds the focus first passes the
// focus on as Tab would, so that the dialog's keys keep a control to go to.
void EnableDialogControl(HWND__* control, BOOL enable);

// The checks behind the validators: 0 when the text passes, else the message id.
UINT CheckSymbolName(CString& text);
UINT CheckSymbolOrNumber(CString& text);
UINT CheckSymbolsList(CString& text);

// ---- Files and folders -------------------------------------------------------------------------
int IsValidFilename(const char* name);
int ExistFile(const char* path);
int ExistDirectory(const char* path);
int CreateDir(const CString& path);
int RemoveDir(const CString& path, int showErrors);
void GetFilesOfDir(const CString& dir, CStringArray& files);
int CopyFiles(const CStringArray& from, const CStringArray& to, int showErrors);
void BrowseForFolder(HWND__* owner, CString& path, const char* title, int fromDesktop);
CString GetLastErrorText();
void ShowLastError(UINT style);
int ReplaceUpdateProgram();
