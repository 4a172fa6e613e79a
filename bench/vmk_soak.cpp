// vmksoak: the window's data module and main window (offscreen) against
// vmksim on a pseudo-terminal that drops and corrupts replies, for a given
// time; prints the work done, the boxes shown and the resident memory.
//
//   vmksoak [--mode refresh|journals] [--minutes N | --seconds N]
//           [--drop P] [--corrupt P] [--vmksim PATH]
//
// refresh:  auto-refresh at the shortest interval the switch takes; a tick
//           that fails switches it off, shows its box and polls, as the
//           window does, and the soak then switches it on again.
// journals: the event journal, the statistics, the alarm list and the
//           oscillogram of a recorded alarm, one after the other, again and
//           again (the pair written over the same files each time).

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "app/data_module.h"
#include "app/main_window.h"
#include "device/port_settings.h"
#include "journals/messages.h"
#include "model/message_log.h"
#include "monitor/messages.h"
#include "shell/page_rules.h"

namespace {

using namespace vmk;

// Resident memory of this process in KiB.
long residentKiB() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> fields = f.readAll().split(' ');
  if (fields.size() < 2) return -1;
  return fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// Answers every question as an engineer at the soak would, and counts the
// boxes by their text.
class SoakPrompts : public Prompts {
 public:
  QString interval = QStringLiteral("0.001");
  QString saveAs;
  QHash<QString, int> boxes;
  int errors = 0;

  Button box(const MessageBox& b) override {
    ++boxes[b.text];
    if (b.icon == BoxIcon::Error) ++errors;
    // "OK" where there is one: the download's question goes on.
    return b.buttons.contains(Button::Ok) ? Button::Ok
                                          : (b.buttons.isEmpty() ? Button::Ok : b.buttons.first());
  }
  std::optional<QString> input(const QString&, const QString&, const QString&) override {
    return interval;
  }
  std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> saveFile(const FileDialog& d) override {
    if (d.chosenFilter) *d.chosenFilter = 0;
    return saveAs;
  }
  std::optional<QString> password() override { return std::nullopt; }
  std::optional<QString> number(const NumberDialog&) override { return std::nullopt; }
  bool portSettings(PortSettings&) override { return false; }
  void beep() override {}
};

// The daylight-saving flag in memory: winter, so no notice at start, and
// the user's settings are not touched.
class MemoryStore : public BoolStore {
 public:
  std::optional<bool> read() override { return true; }
  bool write(bool) override { return true; }
};

class Simulator {
 public:
  bool start(const QString& program, const QString& path, const QStringList& extra) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, QStringList{"--link", path, "--addresses", "1", "--pace", "--baud",
                                         "115200"} + extra);
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

 private:
  QProcess m_process;
};

struct Figures {
  long ticks = 0;       // timer ticks that ran a refresh
  long refreshes = 0;   // refreshes that answered
  long readings = 0;    // journal readings and downloads started
  long downloads = 0;   // oscillograms written
  long reconnects = 0;  // pollings after a failure
};

class Soak {
 public:
  Soak(DataModule& dm, MainWindow& window, SoakPrompts& prompts, bool journals, qint64 ms)
      : m_dm(dm), m_window(window), m_prompts(prompts), m_journals(journals), m_ms(ms) {
    QObject::connect(&dm.ws().monitor.mmMess, &MessageLog::appended, [this](const QString& line) {
      if (line.endsWith(QStringLiteral("Обновление информации"))) ++m_figures.refreshes;
    });
    QObject::connect(&dm.RefreshTimer, &QTimer::timeout, [this] {
      if (!m_dm.session().isBusy()) ++m_figures.ticks;
    });
  }

  int run() {
    const long unfilled = residentKiB();
    fillMemos();
    m_clock.start();
    m_startKiB = residentKiB();
    std::printf("resident at start: %ld KiB (%ld KiB before the memos were filled)\n", m_startKiB,
                unfilled);
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [this] { line(); });
    report.start(60000);
    QTimer::singleShot(0, [this] { next(); });
    QTimer::singleShot(m_ms, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    m_dm.RefreshTimer.stop();
    line();
    const long end = residentKiB();
    std::printf("resident at start %ld KiB, at end %ld KiB, growth %ld KiB\n", m_startKiB, end,
                end - m_startKiB);
    std::printf("resident after the first minute %ld KiB, growth since %ld KiB\n", m_minuteKiB,
                end - m_minuteKiB);
    std::printf("mmMess lines %lld, Memo1 lines %lld\n",
                static_cast<long long>(m_dm.ws().monitor.mmMess.lines().size()),
                static_cast<long long>(m_dm.ws().link.Memo1.lines().size()));
    std::printf("boxes shown:\n");
    for (auto it = m_prompts.boxes.cbegin(); it != m_prompts.boxes.cend(); ++it)
      std::printf("  %6d  %s\n", it.value(), QString(it.key()).replace(QLatin1Char('\r'), QLatin1Char(' ')).toUtf8().constData());
    return 0;
  }

 private:
  // The memos keep their newest lines only; they are filled to that bound
  // before the start is measured, with lines as long as a tick's, so that
  // what grows during the run is not a buffer reaching its bound.
  void fillMemos() {
    const QString line = QStringLiteral("09.12.2026 17:20:00 Строка заполнения журнала");
    for (MessageLog* log : {&m_dm.ws().monitor.mmMess, &m_dm.ws().link.Memo1})
      for (qsizetype i = log->lines().size(); i < MessageLog::kMaxLines; ++i) log->append(line);
    QCoreApplication::processEvents();
  }

  bool connected() const { return m_dm.ws().pages.isTabVisible(kPageDinamic); }
  void later(int ms = 0) { QTimer::singleShot(ms, [this] { next(); }); }

  void line() {
    const long kib = residentKiB();
    if (m_minuteKiB == 0 && m_clock.elapsed() >= 60000) m_minuteKiB = kib;
    std::printf("%6.1f min  ticks %ld  refreshes %ld  readings %ld  downloads %ld  "
                "reconnects %ld  error boxes %d  resident %ld KiB\n",
                m_clock.elapsed() / 60000.0, m_figures.ticks, m_figures.refreshes,
                m_figures.readings, m_figures.downloads, m_figures.reconnects, m_prompts.errors,
                kib);
    std::fflush(stdout);
  }

  // One step of the soak; each step comes back through the event loop.
  void next() {
    if (!connected()) {
      ++m_figures.reconnects;
      m_dm.run(QStringLiteral("actPolling"));
      return later(connected() ? 0 : 100);
    }
    if (!m_journals) {
      // A failed tick has switched the auto-refresh off and polled: on
      // again, once the window shows page 1.
      if (!m_dm.ws().monitor.AutoRefreshOn) {
        m_window.pages()->setCurrentIndex(kPageDinamic);
        m_dm.action(QStringLiteral("actSetTimerRefresh"))->trigger();
      }
      return later(50);
    }
    journalStep();
    later();
  }

  void journalStep() {
    Workspace& ws = m_dm.ws();
    ++m_figures.readings;
    switch (m_step++ % 4) {
      case 0:
        m_window.pages()->setCurrentIndex(kPageEvents);
        m_dm.run(QStringLiteral("actGetData"));
        break;
      case 1:
        m_window.pages()->setCurrentIndex(kPageStatistic);
        m_dm.run(QStringLiteral("actGetData"));
        break;
      case 2:
        m_window.pages()->setCurrentIndex(kPageAlarm);
        m_dm.run(QStringLiteral("actGetData"));
        break;
      default: {
        // The first alarm row with a record.
        for (int row = 0; row < ws.journals.grdAlarm.rowCount(); ++row) {
          bool ok = false;
          if (ws.journals.grdAlarm.cell(2, row).toInt(&ok) >= 0 && ok) {
            ws.journals.grdAlarm.setCurrentRow(row);
            const int before = m_prompts.boxes.value(msg::journals::kOscDone);
            m_dm.run(QStringLiteral("actGetInterrupt"));
            if (m_prompts.boxes.value(msg::journals::kOscDone) > before) ++m_figures.downloads;
            break;
          }
        }
      }
    }
  }

  DataModule& m_dm;
  MainWindow& m_window;
  SoakPrompts& m_prompts;
  bool m_journals;
  qint64 m_ms;
  QElapsedTimer m_clock;
  Figures m_figures;
  long m_startKiB = 0;
  long m_minuteKiB = 0;
  int m_step = 0;
};

QString optionValue(const QStringList& args, const QString& name, const QString& fallback) {
  const qsizetype i = args.indexOf(name);
  return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.contains(QStringLiteral("--help"))) {
    std::printf(
        "vmksoak [--mode refresh|journals] [--minutes N | --seconds N] [--drop P] [--corrupt P]\n"
        "        [--vmksim PATH]\n"
        "Runs the window offscreen against vmksim --pace at 115200 bit/s, which drops and\n"
        "corrupts the given shares of its replies (default 0.01 each), for N minutes\n"
        "(default 20). refresh: auto-refresh at its shortest interval, switched on again\n"
        "after each failed tick; journals: the three journals and an oscillogram download\n"
        "in turn. Prints a line a minute and the resident memory at start and end.\n");
    return 0;
  }
  const bool journals = optionValue(args, QStringLiteral("--mode"), QStringLiteral("refresh")) ==
                        QLatin1String("journals");
  qint64 ms = optionValue(args, QStringLiteral("--minutes"), QStringLiteral("20")).toDouble() * 60000;
  if (args.contains(QStringLiteral("--seconds")))
    ms = optionValue(args, QStringLiteral("--seconds"), QStringLiteral("60")).toDouble() * 1000;
  const QString drop = optionValue(args, QStringLiteral("--drop"), QStringLiteral("0.01"));
  const QString corrupt = optionValue(args, QStringLiteral("--corrupt"), QStringLiteral("0.01"));
  const QString program =
      optionValue(args, QStringLiteral("--vmksim"), QStringLiteral(VMKSIM_PATH));

  QTemporaryDir dir;
  const QString bus = dir.filePath(QStringLiteral("bus"));
  Simulator sim;
  if (!sim.start(program, bus, {"--drop", drop, "--corrupt", corrupt, "--seed", "1"})) {
    std::fprintf(stderr, "vmksoak: vmksim did not start (%s)\n", program.toUtf8().constData());
    return 1;
  }
  PortSettings settings;
  settings.portName = bus;
  settings.baudRate = 115200;
  settings.flowControl = PortSettings::FlowControl::None;
  savePortSettings(dir.filePath(QStringLiteral("Front.ini")), settings);
  // The viewer library beside the program: the download writes its .cfg.
  QFile::copy(QStringLiteral(VIEW_LIBRARY_PATH), dir.filePath(QStringLiteral("libView.so")));

  std::printf("vmksoak %s for %.1f min, vmksim --pace at 115200 bit/s, drop %s, corrupt %s\n",
              journals ? "journals" : "refresh", ms / 60000.0, drop.toUtf8().constData(),
              corrupt.toUtf8().constData());
  SoakPrompts prompts;
  prompts.saveAs = dir.filePath(QStringLiteral("osc.cfg"));
  DataModuleOptions options;
  options.prompts = &prompts;
  options.programDir = dir.path();
  MemoryStore store;
  options.winterStore = &store;
  DataModule dm(options);
  MainWindow window(dm);
  dm.create();
  Soak soak(dm, window, prompts, journals, ms);
  return soak.run();
}
