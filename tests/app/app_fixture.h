#pragma once
// The real main window and data module over the operation tests' world:
// the window's port opens links to the fixture's simulated bus through the
// recording link (no device on it until a test adds one), with its scripted
// prompts and fixed clock, a memory store for the daylight-saving flag and
// an empty program folder. No test touches a real port, the user's
// settings or a real dialog.

#include <QTemporaryDir>
#include <memory>

#include "app/data_module.h"
#include "app/main_window.h"
#include "tests/support/device_fixture.h"
#include "tests/support/windows_double.h"

namespace vmk::test {

class MemoryStore : public BoolStore {
 public:
  std::optional<bool> value;
  std::optional<bool> read() override { return value; }
  bool write(bool v) override {
    value = v;
    return true;
  }
};

struct AppFixture {
  // Winter time, as the store already says: no notice at start.
  DeviceFixture devices{QDateTime(QDate(2013, 1, 15), QTime(10, 0))};
  ScriptedPrompts& prompts = devices.prompts;
  FixedClock& clock = devices.clock;
  MemoryStore store;
  MemoryStore previewStore;  // the write preview: off unless a test asks
  QTemporaryDir dir;
  std::unique_ptr<DataModule> dm;
  std::unique_ptr<MainWindow> window;

  explicit AppFixture(std::optional<bool> storedWinter = true, bool portOpens = true) {
    store.value = storedWinter;
    previewStore.value = false;
    if (!portOpens) devices.plan.openError = QStringLiteral("нет такого порта");
    DataModuleOptions options;
    options.prompts = &prompts;
    options.clock = &clock;
    options.winterStore = &store;
    options.previewStore = &previewStore;
    options.programDir = dir.path();
    options.linkFactory = devices.linkFactory();
    options.changeLogFolder = dir.filePath(QStringLiteral("changes"));
    dm = std::make_unique<DataModule>(options);
    window = std::make_unique<MainWindow>(*dm);
    dm->create();
  }
  ~AppFixture() {
    window.reset();
    dm.reset();
  }

  Workspace& ws() { return dm->ws(); }
  // Links the window's port has opened so far.
  int linksOpened() const { return devices.opens(); }
};

}  // namespace vmk::test
