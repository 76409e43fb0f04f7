// String ids of the monitoring subsystem.
#pragma once

enum : unsigned {
  IDS_MONITOR_CANNOT_FIND_VARIABLE = 20019,
};
