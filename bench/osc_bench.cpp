// vmkbench's oscillogram figures: the whole download through the real
// operation against vmksim --pace, the time to make and write both files
// of 6000 rows, and the viewer's load-and-first-paint of such a pair and
// one redraw after a zoom; then the viewer on a large recording.

#include "bench/osc_bench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/view_loader.h"
#include "journals/comtrade_cfg.h"
#include "journals/osc_download.h"
#include "journals/osc_samples.h"
#include "model/job.h"
#include "model/prompts.h"
#include "oscview/osc_window.h"
#include "oscview/qcustomplot_include.h"

namespace vmk::bench {

namespace {

constexpr int kTurnaroundMs = 5;

class Simulator {
 public:
  bool start(const QString& program, int baud) {
    m_path = m_dir.filePath(QStringLiteral("bus"));
    m_process.start(program, {"--link", m_path, "--addresses", "1", "--pace", "--baud", QString::number(baud),
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

class SilentPrompts : public Prompts {
 public:
  Button box(const MessageBox& b) override { return b.buttons.value(0, Button::Ok); }
  std::optional<QString> input(const QString&, const QString&, const QString&) override { return {}; }
  std::optional<QString> openFile(const FileDialog&) override { return {}; }
  std::optional<QString> saveFile(const FileDialog&) override { return {}; }
  std::optional<QString> password() override { return {}; }
  std::optional<QString> number(const NumberDialog&) override { return {}; }
  bool portSettings(PortSettings&) override { return false; }
  void beep() override {}
};

double elapsedMs(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

double medianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int runOscDownload(const QString& program, int baud, const QString& folder) {
  Simulator sim;
  if (!sim.start(program, baud)) {
    std::fprintf(stderr, "vmkbench: vmksim did not start\n");
    return 1;
  }
  Session session;
  PortSettings& port = session.Port1.settings();
  port.portName = sim.path();
  port.baudRate = 0;
  port.customBaudRate = baud;
  port.flowControl = PortSettings::FlowControl::None;
  session.DeviceAddress = 1;
  {
    PortBracket bracket(session);
    DeviceClient device(session);
    const auto identity = device.readIdentity();
    const auto setup = device.readSetup();
    if (!identity || !setup) return 1;
    session.vmk = identity.value;
    session.vmk.setup = setup.value;
  }
  JobControl jobs;
  SilentPrompts prompts;
  ViewLoader loader(QCoreApplication::applicationDirPath());
  osc::Target target;
  target.entry = 0;
  target.phaseRatio = 120;
  target.earthRatio = 50;
  target.alarmTime = QDateTime::currentDateTime();
  target.base = folder + QStringLiteral("/bench%1").arg(baud);
  QElapsedTimer t;
  t.start();
  const osc::DownloadResult r = osc::downloadOscillogram(
      session, jobs, nullptr, prompts, [&loader](int kind, int index) { return loader.funcName(kind, index); },
      target);
  const double ms = elapsedMs(t);
  // The channel assignments (8 + 69 bytes), then 250 blocks (7 + 247).
  const double wire = (8 + 69 + 250 * (7 + 247)) * 10.0 * 1000.0 / baud + 251 * kTurnaroundMs;
  std::printf("  %-26s %10.1f ms %10.1f ms %7.3f%s\n", qPrintable(QStringLiteral("download at %1").arg(baud)), ms,
              wire, ms / wire, r.outcome == Outcome::Done && r.retries == 0 ? "" : "  (FAILED)");
  return r.outcome == Outcome::Done ? 0 : 1;
}

int runOscFiles(const QString& folder) {
  osc::SampleTable table(osc::kSamples);
  for (int s = 0; s < osc::kSamples; ++s) {
    table[std::size_t(s)].analog = {std::uint16_t(s * 7), std::uint16_t(-s), std::uint16_t(s * 3), 0};
    table[std::size_t(s)].digital = std::uint16_t(s >> 4);
  }
  osc::CfgHeader h;
  h.station = osc::stationLine(QStringLiteral("ВМК-01.01"), 1, QStringLiteral("v1"));
  h.alarmTime = QDateTime::currentDateTime();
  std::vector<double> runs;
  bool ok = true;
  for (int i = 0; i < 15; ++i) {
    QElapsedTimer t;
    t.start();
    const QByteArray dat = osc::dataFile(table);
    const QByteArray cfg = osc::comtradeCfgFile(h);
    ok = osc::writePair(folder + QStringLiteral("/files"), dat, &cfg, nullptr) && ok;
    runs.push_back(elapsedMs(t));
  }
  std::printf("  %-26s %10.2f ms (median of 15; target <= 20 ms)%s\n", "write both files (6000)", medianOf(runs),
              ok ? "" : "  (FAILED)");
  return ok ? 0 : 1;
}

int runOscViewer(const QString& cfgPath) {
  std::vector<double> load, redraw;
  bool ok = true;
  for (int i = 0; i < 7; ++i) {
    oscview::OscViewWindow w;
    w.setShowErrors(false);
    w.resize(1200, 760);
    QElapsedTimer t;
    t.start();
    ok = w.open(cfgPath).isEmpty() && ok;
    w.show();
    w.plot()->repaint();  // the first paint, synchronous
    load.push_back(elapsedMs(t));
    QCoreApplication::processEvents();
    t.restart();
    w.zoomTime(-20, 200);
    w.plot()->repaint();
    redraw.push_back(elapsedMs(t));
  }
  std::printf("  %-26s %10.1f ms (median of 7; target <= 300 ms)%s\n", "viewer load + first paint",
              medianOf(load), ok ? "" : "  (FAILED)");
  std::printf("  %-26s %10.1f ms (median of 7; target <= 33 ms)\n", "viewer redraw after zoom", medianOf(redraw));
  return ok ? 0 : 1;
}

int runOscillogram(const QString& program, bool quick) {
  QTemporaryDir dir;
  std::printf("\noscillogram, through the download operation against vmksim --pace, turnaround %d ms\n",
              kTurnaroundMs);
  std::printf("  %-26s %13s %13s %7s\n", "what", "measured", "wire+turn", "ratio");
  int rc = 0;
  for (int baud : {9600, 115200})
    if (!(quick && baud < 100000)) rc |= runOscDownload(program, baud, dir.path());
  rc |= runOscFiles(dir.path());
  const QString pair = dir.filePath(QStringLiteral("bench115200.cfg"));
  rc |= runOscViewer(pair);
  rc |= runOscLarge();
  return rc;
}

}  // namespace vmk::bench
