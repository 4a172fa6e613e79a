#pragma once
// vmkctl --trace: every frame of the command on standard error, one line
// each: time, direction, bytes, the verdict and response time of a reply,
// and the monitor's short decoding.

#include <QString>
#include <functional>

#include "extlib/frame_observer.h"

namespace vmk::ctl {

class TraceObserver : public FrameObserver {
 public:
  explicit TraceObserver(std::function<void(const QString&)> err) : m_err(std::move(err)) {}
  void frameSeen(const WireFrame& frame) override;

  // "14:02:11.123 -> 01 03 00 00 00 09 85 cc  чтение 9 регистров с 0"
  static QString line(const WireFrame& frame);

 private:
  std::function<void(const QString&)> m_err;
};

}  // namespace vmk::ctl
