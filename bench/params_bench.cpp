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

constexpr int kRuns = 1000;

double us(const std::function<bool()>& work, bool& ok) {
  QElapsedTimer t;
  t.start();
  ok = work() && ok;
  return t.nsecsElapsed() / 1e3;
}

// The median of kRuns runs of the rows' work and of the same exchanges
// alone, in microseconds, taken in turn so that both meet the same load
// (the machine is shared).
std::pair<double, double> median(const std::function<bool()>& rows,
                                 const std::function<bool()>& alone, bool& ok) {
  std::vector<double> a, b;
  for (int i = 0; i < kRuns; ++i) {
    a.push_back(us(rows, ok));
    b.push_back(us(alone, ok));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return {a[a.size() / 2], b[b.size() / 2]};
}

void line(const char* what, std::pair<double, double> b, bool ok) {
  std::printf("  %-22s %10.1f us %10.1f us %10.1f us%s\n", what, b.first, b.second,
              b.first - b.second, ok ? "" : "  (FAILED)");
}

}  // namespace

int runParams() {
  sim::Bus bus;
  bus.addDevice(1);
  Session session([&bus](const PortSettings&) { return std::make_unique<sim::BusLink>(bus); });
  session.DeviceAddress = 1;
  SetupFields setup;
  ParamSet set(1);

  bool ok = true;
  const auto read = median(
      [&] { return readParameters(session, 1, set, setup, QLocale::c()).ok(); },
      [&] {
        PortBracket port(session);
        DeviceClient device(session);
        bool done = true;
        for (const reg::Block& b : reg::kParamBlocks) done = device.readRegisters(b).ok() && done;
        return device.readRegisters(reg::groupBlock(1)).ok() && done;
      },
      ok);

  // Every data row marked, as after loading a settings file: the device's
  // own values written back, each register read back.
  const auto password = Result<QString>::done(QStringLiteral("AAAA"));
  const RangeQuestion writeAnyway = [](const QVector<RangeViolation>&) { return true; };
  ParamWriteResult last;
  auto writeAll = [&] {
    for (int grid : {1, 2})
      for (int i = 0; i < ParamSet::rowCount(grid); ++i)
        if (rowsOf(grid)[i].isData()) set.setMarked(grid, i, true);
    last = writeParameters(session, password, set, setup, QLocale::c(), writeAnyway);
    return last.ok();
  };
  // One write first, for the registers and words the exchanges alone send.
  ok = writeAll() && ok;
  const int written = last.count(RowWrite::Written);
  QVector<std::pair<std::uint16_t, std::uint16_t>> words;
  for (const RowWriteResult& row : last.rows)
    for (int k = 0; k < row.row.words.size(); ++k)
      words.append({std::uint16_t(row.row.registers[k]), row.row.words[k]});
  const auto write = median(writeAll,
                          [&] {
                            PortBracket port(session);
                            DeviceClient device(session);
                            bool done = true;
                            for (const auto& [reg, word] : words)
                              done = device.writeWordVerified(reg, word).holds() && done;
                            return device.readSetup().ok() && done;
                          },
                          ok);

  std::printf("\nparameters and settings, in-process simulated bus, median of %d\n", kRuns);
  std::printf("  %-22s %13s %13s %13s\n", "", "the rows", "exchanges", "rows' own");
  line("read every row", read, ok);
  line("write every data row", write, ok);
  std::printf("  (%d rows written, %d registers)\n", written, int(words.size()));
  return ok ? 0 : 1;
}

}  // namespace vmk::bench
