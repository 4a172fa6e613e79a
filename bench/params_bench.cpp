// vmkbench's parameter figure: reading every row of the parameters and of
// one setting group (four parameter blocks and the group) and writing every
// data row back (each register written and read back, then the setup
// block), as "Получить" and "Записать в устройство" run them, on the
// in-process simulated bus. Set against the same exchanges made alone, the
// difference is what the rows themselves cost: words to texts and back,
// marks, results.

#include "bench/params_bench.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "device/device_client.h"
#include "device/session.h"
#include "device/tvmk.h"
#include "extlib/registers.h"
#include "params/catalogue.h"
#include "params/param_set.h"
#include "params/read_params.h"
#include "params/write_params.h"
#include "sim/bus.h"
#include "sim/bus_link.h"

namespace vmk::bench {

namespace {

constexpr int kRuns = 300;

// The shortest of `runs` runs of `work`, in microseconds: the machine is
// shared, and the shortest run is the one nothing else got in the way of.
double bestUs(const std::function<bool()>& work, int runs, bool& ok) {
  double best = 1e18;
  ok = true;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    ok = work() && ok;
    best = std::min(best, t.nsecsElapsed() / 1e3);
  }
  return best;
}

void line(const char* what, double us, double alone, bool ok) {
  std::printf("  %-22s %10.1f us %10.1f us %10.1f us%s\n", what, us, alone, us - alone,
              ok ? "" : "  (FAILED)");
}

}  // namespace

int runParams() {
  sim::Bus bus;
  bus.addDevice(1);
  Session session([&bus](const PortSettings&) { return std::make_unique<sim::BusLink>(bus); });
  session.DeviceAddress = 1;
  SetupFields setup;
  ParamSet set(1);

  bool ok = false;
  const double read = bestUs(
      [&] { return readParameters(session, 1, set, setup, QLocale::c()).ok(); }, kRuns, ok);
  bool all = ok;
  const double readAlone = bestUs(
      [&] {
        PortBracket port(session);
        DeviceClient device(session);
        bool done = true;
        for (const reg::Block& b : reg::kParamBlocks) done = device.readRegisters(b).ok() && done;
        return device.readRegisters(reg::groupBlock(1)).ok() && done;
      },
      kRuns, ok);
  all = all && ok;

  // Every data row marked, as after loading a settings file: the device's
  // own values written back, each register read back.
  auto markAll = [&] {
    for (int grid : {1, 2})
      for (int i = 0; i < ParamSet::rowCount(grid); ++i)
        if (RowsOf(grid)[i].isData()) set.setMarked(grid, i, true);
  };
  const auto password = Result<QString>::done(QStringLiteral("AAAA"));
  const RangeQuestion writeAnyway = [](const QVector<RangeViolation>&) { return true; };
  int written = 0;
  QVector<std::pair<std::uint16_t, std::uint16_t>> words;
  const double write = bestUs(
      [&] {
        markAll();
        const ParamWriteResult r =
            writeParameters(session, password, set, setup, QLocale::c(), writeAnyway);
        written = r.count(RowWrite::Written);
        words.clear();
        for (const RowWriteResult& row : r.rows)
          for (int k = 0; k < row.row.words.size(); ++k)
            words.append({std::uint16_t(row.row.registers[k]), row.row.words[k]});
        return r.ok();
      },
      kRuns, ok);
  all = all && ok;
  const double writeAlone = bestUs(
      [&] {
        PortBracket port(session);
        DeviceClient device(session);
        bool done = true;
        for (const auto& [reg, word] : words) done = device.writeWordVerified(reg, word).holds() && done;
        return device.readSetup().ok() && done;
      },
      kRuns, ok);
  all = all && ok;

  std::printf("\nparameters and settings, in-process simulated bus, best of %d\n", kRuns);
  std::printf("  %-22s %13s %13s %13s\n", "", "the rows", "exchanges", "rows' own");
  line("read every row", read, readAlone, all);
  line("write every data row", write, writeAlone, all);
  std::printf("  (%d rows written, %d registers)\n", written, int(words.size()));
  return all ? 0 : 1;
}

}  // namespace vmk::bench
