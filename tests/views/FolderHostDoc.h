// The document the folder-view tests host their views in: hands out a setup and a motion program and
// counts the changes the views report.
#pragma once

#include "kernel/document/MC_Document.h"

class CFolderHostDoc : public CMC_Document {
 public:
  CFolderHostDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  void OnChangedInView(CView*, UINT) override { ++changes; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  int changes = 0;
};
