#pragma once
// vmkbench's parameter figure (bench/params_bench.cpp).

namespace vmk::bench {

// Reading every parameter and setting row and writing every data row back,
// on the in-process simulated bus, against the same exchanges alone.
int runParams();

}  // namespace vmk::bench
