// CGraphViewerDoc: the document of a saved plot file: its curve list, a units table and the plot
// document, with the plot option commands.
#pragma once

#include "kernel/params/MC_Units.h"
#include "platform/ui/Document.h"
#include "plot/curves/CurveArray.h"
#include "plot/documents/GraphDocument.h"

class CMDIChildWnd;

// The extension of plot files.
extern const char* const gc_pszPlotFileExt;

class CGraphViewerDoc : public CDocument {
  DECLARE_DYNCREATE(CGraphViewerDoc)
 public:
  // Hints to the views: the plots changed (windows made, refreshed or removed), or only their values.
  static constexpr LPARAM kHintStructure = -59;
  static constexpr LPARAM kHintValues = -60;

  CGraphViewerDoc();
  ~CGraphViewerDoc() override;

  void Serialize(CArchive& ar) override;
  void DeleteContents() override;
  BOOL OnNewDocument() override;

  void OnPlotOptions(CMDIChildWnd* frame);
  void OnSetupPlot(CMDIChildWnd* frame);
  // Steps an oscilloscope channel's scale through 1-2-5: direction < 0 coarser, > 0 finer.
  void ChangeOscChannelScale(UINT channel, int direction);

  CCurveArray m_curves;
  CMC_Units m_units;
  CGraphDocument m_graph;
  int m_nCurrentPlot = 0;

 private:
  bool SheetsAllowed();
};
