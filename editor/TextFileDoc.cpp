#include "editor/TextFileDoc.h"

IMPLEMENT_DYNCREATE(CTextFileDoc, CDocument)

CTextFileDoc::CTextFileDoc() = default;
CTextFileDoc::~CTextFileDoc() = default;
