#pragma once
// Port1 over the in-process simulated bus: a link factory whose links all
// talk to one bus, with the byte time of the port settings.
//
//   sim::Bus bus({1, 2, 3});
//   Session session(test::busLinkFactory(bus));

#include <functional>

#include "device/serial_port.h"
#include "sim/bus.h"
#include "sim/bus_link.h"
#include "sim/fault_injector.h"

namespace vmk::test {

// Links to `bus` with the given faults; `created` (optional) sees each new
// link, so a test can reach it.
SerialPort::LinkFactory busLinkFactory(sim::Bus& bus, const sim::FaultPlan& faults = {},
                                       std::function<void(sim::BusLink&)> created = {});

}  // namespace vmk::test
