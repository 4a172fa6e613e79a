#pragma once
// Page 0, "Связь с устройствами": the connection report, the device list
// and the polling gauge.

#include "model/message_log.h"
#include "model/progress.h"
#include "model/text_list.h"

namespace vmk {

struct LinkPage {
  MessageLog Memo1;        // connection report
  TextList lbRelay;        // device list
  Progress Gauge1{1, 31};  // polling gauge (the rear connector's addresses)
};

}  // namespace vmk
