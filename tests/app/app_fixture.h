#pragma once
// The real main window and data module, with scripted prompts, a fixed
// clock, a memory store and an in-memory port: no test touches a real port,
// the user's settings or a real dialog.

#include <QTemporaryDir>
#include <memory>

#include "app/data_module.h"
#include "app/main_window.h"
#include "extlib/memory_link.h"
#include "tests/support/scripted_prompts.h"

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
  ScriptedPrompts prompts;
  // Winter time, as the store already says: no notice at start.
  FixedClock clock{QDateTime(QDate(2013, 1, 15), QTime(10, 0))};
  MemoryStore store;
  QTemporaryDir dir;
  int linksMade = 0;
  std::unique_ptr<DataModule> dm;
  std::unique_ptr<MainWindow> window;

  explicit AppFixture(std::optional<bool> storedWinter = true, bool portOpens = true) {
    store.value = storedWinter;
    DataModuleOptions options;
    options.prompts = &prompts;
    options.clock = &clock;
    options.winterStore = &store;
    options.programDir = dir.path();
    options.linkFactory = [this, portOpens](const PortSettings&) {
      ++linksMade;
      auto link = std::make_unique<MemoryLink>();
      if (!portOpens) link->setOpenError(QStringLiteral("нет такого порта"));
      return link;
    };
    dm = std::make_unique<DataModule>(options);
    window = std::make_unique<MainWindow>(*dm);
    dm->create();
  }
  ~AppFixture() {
    window.reset();
    dm.reset();
  }

  Workspace& ws() { return dm->ws(); }
};

}  // namespace vmk::test
