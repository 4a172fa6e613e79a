// vmkbench's report figures: the device report's five reads (six requests:
// four parameter blocks and both groups) against vmksim --pace at 9600
// bit/s, set against the bytes on the wire plus one turnaround each; and
// the time to make every named value from the words read and write the
// workbook from its template, as "Печать" does after its reads.

#include "bench/report_bench.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "extlib/view_loader.h"
#include "reports/device_report.h"

namespace vmk::bench {

namespace {

constexpr int kTurnaroundMs = 5;
constexpr int kBaud = 9600;

class Simulator {
 public:
  bool start(const QString& program) {
    m_path = m_dir.filePath(QStringLiteral("bus"));
    m_process.start(program, {"--link", m_path, "--addresses", "1", "--pace", "--baud", QString::number(kBaud),
                              "--turnaround-ms", QString::number(kTurnaroundMs)});
    if (!m_process.waitForStarted(10000)) return false;
    QByteArray out;
    while (!out.contains('\n')) {
      if (!m_process.waitForReadyRead(10000)) return false;
      out += m_process.readAllStandardOutput();
    }
    return out.startsWith("ready ");
  }
  ~Simulator() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
    m_process.waitForFinished(5000);
  }
  QString path() const { return m_path; }

 private:
  QTemporaryDir m_dir;
  QString m_path;
  QProcess m_process;
};

double medianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

QList<reg::Block> reportBlocks() {
  QList<reg::Block> blocks(std::begin(reg::kParamBlocks), std::end(reg::kParamBlocks));
  blocks << reg::groupBlock(1) << reg::groupBlock(2);
  return blocks;
}

}  // namespace

int runReports(const QString& vmksim) {
  Simulator sim;
  if (!sim.start(vmksim)) {
    std::fprintf(stderr, "vmkbench: vmksim did not start\n");
    return 1;
  }
  Session session;
  PortSettings& port = session.Port1.settings();
  port.portName = sim.path();
  port.baudRate = 0;
  port.customBaudRate = kBaud;
  port.flowControl = PortSettings::FlowControl::None;
  session.DeviceAddress = 1;
  const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
  ViewLoader loader(programDir);
  if (loader.load() != ViewLoad::Loaded) {
    std::fprintf(stderr, "vmkbench: no viewer library in %s\n", qPrintable(programDir));
    return 1;
  }
  const SignalNameFn names = [&loader](int kind, int index) { return loader.funcName(kind, index).name; };
  const QLocale locale = QLocale::c();

  std::printf("\ndevice report, vmksim --pace at %d bit/s, turnaround %d ms\n", kBaud, kTurnaroundMs);
  std::printf("  %-26s %13s %13s %7s\n", "work", "measured", "wire+turn", "ratio");
  int bytes = 0;
  const QList<reg::Block> blocks = reportBlocks();
  for (const reg::Block& b : blocks) bytes += 8 + 2 * b.count + 5;
  const double wire = bytes * 10.0 * 1000.0 / kBaud + blocks.size() * double(kTurnaroundMs);
  constexpr int kRuns = 5;
  std::vector<double> reads;
  bool ok = true;
  // "Печать" opens the port before its dialog: the reads run on an open port.
  PortBracket open(session);
  for (int i = 0; i < kRuns; ++i) {
    SetupFields setup;
    QElapsedTimer t;
    t.start();
    ok = readDeviceReport(session, setup, names, locale).ok() && ok;
    reads.push_back(t.nsecsElapsed() / 1e6);
  }
  const double readMs = medianOf(reads);
  std::printf("  %-26s %10.1f ms %10.1f ms %7.3f%s\n", "five reads (6 requests)", readMs, wire, readMs / wire,
              ok ? "" : "  (FAILED)");
  {
    // The same with the port opened and closed by the reads, for comparison.
    session.closePort();
    SetupFields setup;
    QElapsedTimer t;
    t.start();
    ok = readDeviceReport(session, setup, names, locale).ok() && ok;
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("  %-26s %10.1f ms %10.1f ms %7.3f\n", "the same, port opened", ms, wire, ms / wire);
  }
  // The words as the reads leave them, then values and workbook from them.
  RegisterImage image;
  {
    PortBracket bracket(session);
    DeviceClient device(session);
    for (const reg::Block& b : blocks) {
      const Result<RegisterWords> w = device.readRegisters(b);
      if (!w) {
        std::fprintf(stderr, "vmkbench: a block of the report was not read\n");
        return 1;
      }
      for (int i = 0; i < w.value.count(); ++i) image.set(w.value.first + i, w.value.words[i]);
    }
  }
  TVMK record;
  record.Name = QStringLiteral("ВМК-01.01");
  record.SerialNumber = 1234;
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("report.xlsx"));
  constexpr int kWrites = 21;
  std::vector<double> values, writes;
  bool written = true;
  for (int i = 0; i < kWrites; ++i) {
    QElapsedTimer t;
    t.start();
    ReportValues v = setupValues(image);
    addValues(v, configurationValues(image, names));
    addValues(v, recorderValues(image, locale));
    addValues(v, channelValues(image, names));
    addValues(v, groupValues(1, image, names, locale));
    addValues(v, groupValues(2, image, names, locale));
    addValues(v, headerValues(record, QDateTime::currentDateTime()));
    values.push_back(t.nsecsElapsed() / 1e6);
    written = writeReport(programDir + kDeviceTemplate, v, file).isEmpty() && written;
    writes.push_back(t.nsecsElapsed() / 1e6);
  }
  std::printf("  values from the words read %10.2f ms (median of %d)\n", medianOf(values), kWrites);
  std::printf("  values and workbook written %9.2f ms (median of %d; target 100 ms)%s\n", medianOf(writes),
              kWrites, written ? "" : "  (FAILED)");
  return ok && written ? 0 : 1;
}

}  // namespace vmk::bench
