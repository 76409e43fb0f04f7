#include "editor/SECEdit.h"
int SECEdit::ReadFromFile(const char*) { return 2; }
int SECEdit::ReadLinesFromHandle(CFile*, char*, int, tagLINEDESC**, int*) { return 21002; }
int SECEdit::WriteToFile(const char*) { return 2; }
int SECEdit::RenameFile(const char*, const char*) { return 2; }
int SECEdit::InsertFromFile(SECEditPos&, const char*, BOOL) { return 2; }
void SECEdit::CloseKeptFile() {}
int SECEdit::KeepFileOpen(const char*) { return 0; }
