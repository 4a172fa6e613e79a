#pragma once
// The parameter tests' device: one simulated device at address 1 with a
// register image of distinctive values in every block read, on the one
// operation-test fixture.

#include <QString>

#include "sim/device.h"
#include "tests/support/device_fixture.h"

namespace vmk::test {

// The password registers hold the four letters, high byte first.
void setPassword(sim::Device& d, const QString& four);
// The password the registers hold now.
QString passwordOf(sim::Device& d);

// Zeroes the parameter registers (the clock excepted) and both setting
// groups, then sets the sample values.
void loadSample(sim::Device& d);

// A fixture with a device at address 1 that the session talks to, without
// a connection (the device record stays empty).
struct ParamFixture : DeviceFixture {
  ParamFixture();
  sim::Device& dev;
};

}  // namespace vmk::test
