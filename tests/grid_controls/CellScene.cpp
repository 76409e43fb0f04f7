#include "tests/grid_controls/CellScene.h"

namespace dravonix::test {

IMPLEMENT_DYNCREATE(CReportingView, CGXGridView)

}  // namespace dravonix::test
