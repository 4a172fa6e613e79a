#pragma once
// One QCoreApplication for the whole fuzzing process: some of the code
// under test asks for the application's folders and event loop.

#include <QCoreApplication>

namespace vmk::fuzz {

inline void ensureCoreApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "vmkfuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

}  // namespace vmk::fuzz
