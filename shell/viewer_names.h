#pragma once
// The names the viewer library gives the items of its signal lists
// (`GetFuncAr`), as the reports and the bit differences take them. A
// library that cannot be reached gives empty names (bits are then
// "бит N"); the report checks the library first and says so.

#include <QString>

#include "extlib/view_loader.h"
#include "params/value_diff.h"

namespace vmk {

inline BitNames viewerNames(ViewLoader& loader) {
  return [&loader](int list, int index) { return loader.funcName(list, index).name; };
}

}  // namespace vmk
