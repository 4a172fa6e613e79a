#include "tests/support/sim_link_factory.h"

namespace vmk::test {

SerialPort::LinkFactory busLinkFactory(sim::Bus& bus, const sim::FaultPlan& faults,
                                       std::function<void(sim::BusLink&)> created) {
  return [&bus, faults, created](const PortSettings& settings) -> std::unique_ptr<SerialLink> {
    auto link = std::make_unique<sim::BusLink>(bus, faults);
    const int baud = settings.effectiveBaudRate();
    // Ten bits a byte.
    if (baud > 0) link->setByteTimeUs(10'000'000 / baud);
    if (created) created(*link);
    return link;
  };
}

}  // namespace vmk::test
