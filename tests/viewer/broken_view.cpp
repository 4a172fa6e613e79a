// A viewer library that lacks ShowView and GetFuncAr, for the loader's
// missing-entry paths. Its SetValue answers a value no dialog chose.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t SetValue() { return 77; }
