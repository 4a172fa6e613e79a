#pragma once
// vmkctl's exit codes, from the outcome of the command; never from a text.

#include "device/outcome.h"

namespace vmk::ctl {

enum ExitCode { kDone = 0, kDeviceFailure = 1, kUsage = 2, kRefused = 3, kDiffer = 4 };

// 0 done; 1 the device or the link let the command down, or it was
// cancelled; 3 a wrong password or an input the command refused.
constexpr ExitCode exitCodeOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      return kDone;
    case Outcome::WrongPassword:
    case Outcome::InputRefused:
      return kRefused;
    case Outcome::NoAnswer:
    case Outcome::BadReply:
    case Outcome::DeviceRefused:
    case Outcome::PortFailure:
    case Outcome::Cancelled:
      return kDeviceFailure;
  }
  return kDeviceFailure;
}

}  // namespace vmk::ctl
