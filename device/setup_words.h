#pragma once
// The setup fields that the first parameter block (registers 64..83)
// carries, as reading the parameters and the device report store them.

#include "device/device_client.h"
#include "device/tvmk.h"

namespace vmk {

// Replaces the address, interface word, password, group fields and the
// transformer values of `setup`; the device clock stays as it was.
void storeSetupWords(SetupFields& setup, const RegisterWords& words);

}  // namespace vmk
