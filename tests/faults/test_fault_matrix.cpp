// Every device operation of the window, run through the data module by its
// registry name, against every fault of the line, struck in the middle of
// the operation. Each case checks what an engineer relies on after a bad
// line: the program goes on, within the time-out and the retries, with the
// port closed and the next command free to start; the box the operation
// owes (once); no grid cell, device register or file holds anything but
// what it held before or what a whole run gives; and the same operation
// then works on a healthy line. docs/fault-matrix.md lists the cases.

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/data_module.h"
#include "app/main_window.h"
#include "extlib/registers.h"
#include "extlib/tcp_link.h"
#include "extlib/timing.h"
#include "extlib/wire_table.h"
#include "journals/messages.h"
#include "link/messages.h"
#include "model/messages.h"
#include "monitor/messages.h"
#include "service/calibration_model.h"
#include "service/messages.h"
#include "shell/command_registry.h"
#include "shell/compare_commands.h"
#include "shell/page_rules.h"
#include "tests/support/device_fixture.h"
#include "tests/support/net_server.h"
#include "tests/support/windows_double.h"

using namespace vmk;
using namespace vmk::test;

namespace {

// The faults of the line, as the matrix names them.
enum class LineFault { Drop, Crc, Truncate, Delay, SilentAfter, Vanish, Garbage, LateReply };
const LineFault kFaults[] = {LineFault::Drop,        LineFault::Crc,    LineFault::Truncate,
                             LineFault::Delay,       LineFault::SilentAfter, LineFault::Vanish,
                             LineFault::Garbage,     LineFault::LateReply};

const char* faultName(LineFault f) {
  switch (f) {
    case LineFault::Drop: return "reply dropped";
    case LineFault::Crc: return "CRC corrupted";
    case LineFault::Truncate: return "reply truncated";
    case LineFault::Delay: return "delay beyond time-out";
    case LineFault::SilentAfter: return "silence after N";
    case LineFault::Vanish: return "port vanishes";
    case LineFault::Garbage: return "garbage before reply";
    case LineFault::LateReply: return "late reply to previous";
  }
  return "";
}

// Faults the master sees through: the right reply is on the line.
bool readable(LineFault f) { return f == LineFault::Garbage || f == LineFault::LateReply; }

// Says yes to every question, so that each operation goes as far as it can.
class YesPrompts : public ScriptedPrompts {
 public:
  Button box(const MessageBox& b) override {
    ScriptedPrompts::box(b);
    for (Button wanted : {Button::Yes, Button::Ok})
      if (b.buttons.contains(wanted)) return wanted;
    return b.buttons.isEmpty() ? Button::Ok : b.buttons.first();
  }
};

class MemoryStore : public BoolStore {
 public:
  std::optional<bool> read() override { return true; }
  bool write(bool) override { return true; }
};

// The network faults, as the matrix names them.
enum class NetFault { Refused, Reset, NeverAnswers, WrongTransaction };
const NetFault kNetFaults[] = {NetFault::Refused, NetFault::Reset, NetFault::NeverAnswers,
                               NetFault::WrongTransaction};

const char* netFaultName(NetFault f) {
  switch (f) {
    case NetFault::Refused: return "connection refused";
    case NetFault::Reset: return "connection reset";
    case NetFault::NeverAnswers: return "accepts and never answers";
    case NetFault::WrongTransaction: return "wrong transaction id";
  }
  return "";
}

// The link of a world: the in-process line, or TCP to the bus served as
// vmksim --tcp serves it.
enum class LinkKind { Line, RtuOverTcp, ModbusTcp };

const char* kindName(LinkKind k) {
  switch (k) {
    case LinkKind::Line: return "line";
    case LinkKind::RtuOverTcp: return "RTU over TCP";
    case LinkKind::ModbusTcp: return "Modbus TCP";
  }
  return "";
}

// Over TCP a reply has 100 ms (the default) rather than 10: the server is a
// thread of a busy test process.
constexpr int kNetTry = timing::kDefaultTry;
// The line behind the server runs at the settings' 9600 bit/s.
constexpr int kByteUs9600 = 1042;

// The window over the simulated bus, with one device at address 1 (and,
// for the rear connector, two more).
struct World {
  DeviceFixture devices{QDateTime(QDate(2013, 1, 15), QTime(10, 0))};
  std::unique_ptr<NetServer> net;
  YesPrompts prompts;
  MemoryStore store;
  QTemporaryDir programDir;
  QTemporaryDir files;
  std::unique_ptr<DataModule> dm;
  std::unique_ptr<MainWindow> window;
  // The windows an operation's arrangement stands in for.
  std::unique_ptr<WindowsDouble> windows;

  explicit World(LinkKind kind = LinkKind::Line) {
    devices.add(1);
    DataModuleOptions options;
    options.prompts = &prompts;
    options.clock = &devices.clock;
    options.winterStore = &store;
    options.programDir = programDir.path();
    // The viewer library beside the program: the download writes its .cfg.
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/libView.so"),
                programDir.filePath(QStringLiteral("libView.so")));
    if (kind == LinkKind::Line) {
      options.linkFactory = devices.linkFactory();
    } else {
      // The program's own link of its settings, from Front.ini as the
      // window loads it at start.
      net = std::make_unique<NetServer>(devices.bus, kind == LinkKind::ModbusTcp);
      savePortSettings(QDir(programDir.path()).filePath(QStringLiteral("Front.ini")), net->settings());
    }
    dm = std::make_unique<DataModule>(options);
    window = std::make_unique<MainWindow>(*dm);
    dm->create();
    windows = std::make_unique<WindowsDouble>(dm->ws());
    // A write's preview is answered "Записать": the write goes on to meet
    // the fault.
    windows->onConfirmWrite = [](const WritePreview&) { return true; };
    // A silent line costs 10 ms, not 100.
    ws().session.modbus.SetTry(net ? kNetTry : 1);
  }
  // The time-out of a request, through a gateway with the longest reply's
  // time on the line behind it.
  int timeoutMs() {
    const int held = net && net->gateway() ? timing::heldReplyMs(wire::kMaxFrameLength, kByteUs9600) : 0;
    return timing::firstByteTimeoutMs(ws().session.modbus.GetTry()) + held;
  }
  ~World() {
    windows.reset();
    window.reset();
    dm.reset();
  }
  Workspace& ws() { return dm->ws(); }
  Session& session() { return dm->session(); }
  sim::Device& device() { return devices.device(1); }
  bool run(const QString& name, Trigger t = {}) { return dm->run(name, t); }

  void page(int p) { window->pages()->setCurrentIndex(p); }
  // Polled and connected on the front connector, as the engineer starts.
  void connect() {
    if (ws().pages.isTabVisible(kPageDinamic)) return;
    run(QStringLiteral("actPolling"));
    QVERIFY(ws().pages.isTabVisible(kPageDinamic));
  }
  QString file(const QString& name) const { return files.filePath(name); }
};

// What the matrix compares: each grid cell, each device register kept
// outside the live block, each file under the files folder, its subfolders
// too (by its hash; a text that names the world's own folder, as a batch
// index does, with "<files>" in its place).
using Cells = QMap<QString, QString>;

const QString kFileKey = QStringLiteral("file ");

Cells cellsOf(World& w) {
  Cells c;
  const std::pair<const char*, TextGrid*> grids[] = {
      {"Grid1", &w.ws().parameters.Grid1},     {"grdSett", &w.ws().parameters.grdSett}, {"GrdEvent", &w.ws().journals.GrdEvent},
      {"grdStat", &w.ws().journals.grdStat}, {"grdAlarm", &w.ws().journals.grdAlarm}};
  for (const auto& [name, grid] : grids)
    for (int r = 0; r < grid->rowCount(); ++r)
      for (int col = 0; col < grid->columnCount(); ++col)
        c.insert(QStringLiteral("%1[%2,%3]").arg(QLatin1String(name)).arg(r).arg(col),
                 grid->cell(col, r));
  for (int reg = 0; reg < 768; ++reg) {
    if (reg >= reg::kLive.first && reg < reg::kLive.first + reg::kLive.count) continue;
    if (reg >= reg::kClock && reg < reg::kClock + reg::kClockCount) continue;
    c.insert(QStringLiteral("reg %1").arg(reg), QString::number(w.device().registerValue(reg)));
  }
  const QDir dir(w.files.path());
  QDirIterator files(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString name = dir.relativeFilePath(files.next());
    QFile f(dir.filePath(name));
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll().replace(dir.path().toUtf8(), "<files>");
    // A workbook's zip carries the time it was written: its size is what
    // stays.
    const QString key = name.endsWith(QLatin1String(".xlsx")) && !bytes.startsWith("an earlier")
                            ? QStringLiteral("size %1").arg(bytes.size())
                            : QString::fromLatin1(
                                  QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    c.insert(kFileKey + name, key);
  }
  return c;
}

// The cells a faulted run leaves that are neither as before nor as a whole
// run leaves them.
QStringList madeUp(const Cells& before, const Cells& healthy, const Cells& after) {
  QStringList out;
  QSet<QString> keys;
  for (const Cells* m : {&before, &healthy, &after})
    for (auto it = m->cbegin(); it != m->cend(); ++it) keys.insert(it.key());
  for (const QString& k : keys) {
    const QString a = after.value(k, QStringLiteral("<none>"));
    if (a != before.value(k, QStringLiteral("<none>")) && a != healthy.value(k, QStringLiteral("<none>")))
      out << QStringLiteral("%1 = \"%2\"").arg(k, a);
  }
  out.sort();
  return out;
}

// The cells without the files of a batch folder's index (the faulted run's
// own record of what failed).
Cells withoutIndex(Cells c, const QString& folder) {
  for (const char* name : {"index.json", "index.txt"})
    c.remove(kFileKey + folder + QLatin1Char('/') + QLatin1String(name));
  return c;
}

// The files of one folder of the world's files folder.
Cells filesIn(const Cells& c, const QString& folder) {
  Cells out;
  const QString prefix = kFileKey + folder + QLatin1Char('/');
  for (auto it = c.cbegin(); it != c.cend(); ++it)
    if (it.key().startsWith(prefix)) out.insert(it.key(), it.value());
  return out;
}

// What is wrong with a batch folder's index: both files must be whole
// (index.json an object with its devices, index.txt up to its last line),
// name every file of the device folders as written or skipped and no
// other, and say whether the run went through: after a failed run, a device
// failed (index.txt gives the reason), an address did not answer or the
// batch stopped; after a whole one, none of these.
QStringList batchIndexProblems(const QString& dir, bool failedRun) {
  QStringList out;
  QFile jsonFile(QDir(dir).filePath(QStringLiteral("index.json")));
  QFile textFile(QDir(dir).filePath(QStringLiteral("index.txt")));
  if (!jsonFile.open(QIODevice::ReadOnly) || !textFile.open(QIODevice::ReadOnly))
    return {QStringLiteral("no index")};
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(jsonFile.readAll(), &error);
  const QJsonObject index = doc.object();
  if (error.error != QJsonParseError::NoError || !doc.isObject() ||
      !index.value(QStringLiteral("devices")).isArray() ||
      !index.value(QStringLiteral("complete")).isBool())
    return {QStringLiteral("index.json is not whole: ") + error.errorString()};
  const QString text = QString::fromUtf8(textFile.readAll());
  const QStringList lines = text.split(QLatin1Char('\n'));
  if (!text.endsWith(QLatin1Char('\n')) || lines.size() < 2 ||
      !lines[lines.size() - 2].startsWith(QStringLiteral("Не отвечают: ")))
    out << QStringLiteral("index.txt is not whole");

  bool deviceFailed = false;
  QSet<QString> folders;
  for (const QJsonValue& v : index.value(QStringLiteral("devices")).toArray()) {
    const QJsonObject d = v.toObject();
    if (d.value(QStringLiteral("failed")).toBool()) {
      deviceFailed = true;
      const QString why = d.value(QStringLiteral("why")).toString();
      if (why.isEmpty() || !text.contains(QStringLiteral("ОШИБКА: ") + why))
        out << QStringLiteral("index.txt does not give the failure \"%1\"").arg(why);
    }
    const QString folder = d.value(QStringLiteral("folder")).toString();
    if (folder.isEmpty()) continue;
    folders.insert(folder);
    QStringList listed;
    for (const QJsonValue& i : d.value(QStringLiteral("items")).toArray()) {
      const QJsonObject item = i.toObject();
      const QString state = item.value(QStringLiteral("state")).toString();
      if (state != QLatin1String("written") && state != QLatin1String("skipped")) continue;
      const QString file = item.value(QStringLiteral("file")).toString();
      listed << file;
      if (item.value(QStringLiteral("part")).toString() == QLatin1String("osc") &&
          file.endsWith(QLatin1String(".cfg")))
        listed << file.chopped(4) + QStringLiteral(".dat");
    }
    QStringList there = QDir(QDir(dir).filePath(folder)).entryList(QDir::Files | QDir::Hidden);
    listed.sort();
    there.sort();
    if (listed != there)
      out << QStringLiteral("%1 holds %2, its index names %3")
                 .arg(folder, there.join(QLatin1Char(',')), listed.join(QLatin1Char(',')));
  }
  for (const QString& sub : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
    if (!folders.contains(sub)) out << QStringLiteral("a folder the index does not name: ") + sub;

  const bool stopped = !index.value(QStringLiteral("complete")).toBool();
  const bool silent = !index.value(QStringLiteral("silent")).toArray().isEmpty();
  if (failedRun && !deviceFailed && !stopped && !silent)
    out << QStringLiteral("the index records no failure");
  if (!failedRun && (deviceFailed || stopped || silent))
    out << QStringLiteral("the index of a whole run records a failure");
  return out;
}

// One operation of the matrix: the registry name it runs by, what it is
// started with, how the window stands before it, and the boxes it owes when
// the line fails it.
struct Operation {
  QString label;
  QString command;
  Trigger trigger;
  std::function<void(World&)> arrange;
  QStringList failBoxes;  // the device or the line failed it
  QStringList goneBoxes;  // the port vanished
  // Each exchange asked again after a bad reply: one spoilt reply costs a
  // retry, not the operation.
  bool retries = false;
  // The request struck, counted back from the last of a whole run (0: the
  // middle one): where the middle one goes to an address nobody answers.
  int strikeFromEnd = 0;
  // Silence from the struck request on, where it owes more than failBoxes.
  std::optional<QStringList> silentBoxes = {};
  // The request struck: the first of a whole run this accepts (empty: as
  // strikeFromEnd says).
  std::function<bool(const QByteArray& request)> strikeAt = {};
  // A batch into this folder of the files folder: a failed run records the
  // failure in the folder's index (checked by batchIndexProblems rather
  // than against a whole run), and a second run completes the folder.
  QString batchFolder = {};
  // Over TCP: the boxes when the connection is refused at the operation's
  // own connect (nothing: kOpenRefused once), and when the server answers
  // nothing from the first request on (nothing: the failBoxes).
  std::optional<QStringList> refusedBoxes = {};
  std::optional<QStringList> muteBoxes = {};
};

// The operations run over TCP as well: where a connection is made, read
// long and written, and where a batch goes on after a failure.
const QStringList kOverTcp{QStringLiteral("polling (rear, 32 addresses)"), QStringLiteral("event journal"),
                           QStringLiteral("oscillogram download"), QStringLiteral("parameter write"),
                           QStringLiteral("batch extraction (oscillogram struck)")};

// In an expected list of boxes: the boxes of a whole run.
const QString kHealthy = QStringLiteral("<the boxes of a whole run>");

QStringList expand(const QStringList& expected, const QStringList& healthy) {
  QStringList out;
  for (const QString& b : expected) {
    if (b == kHealthy) out << healthy;
    else out << b;
  }
  return out;
}

const QString kGone = QStringLiteral("Порт недоступен");
// In an expected list of boxes: "Ошибка открытия порта NAME: сервер
// отказал в соединении".
const QString kOpenRefused = QStringLiteral("<the connection refused>");

QList<Operation> operations() {
  QList<Operation> ops;
  const QStringList link{msg::kLinkError};
  const QStringList gone{kGone};
  auto onPage = [](int p) {
    return [p](World& w) {
      w.connect();
      w.page(p);
    };
  };

  ops.append({QStringLiteral("polling (front)"), QStringLiteral("actPolling"), {},
              [](World& w) { w.page(kPagePolling); }, link, gone});
  ops.append({QStringLiteral("polling (rear, 32 addresses)"), QStringLiteral("actPolling"), {},
              [](World& w) {
                w.page(kPagePolling);
                if (!w.devices.bus.device(2)) {
                  w.devices.add(2);
                  w.devices.add(3);
                }
                w.ws().pages.setChecked(QStringLiteral("actFrontPort"), false);
                w.ws().pages.setChecked(QStringLiteral("actReaPort"), true);
              },
              // A network where nobody answers lists every address silent,
              // as it always did.
              link, gone, false, 2, {}, {}, {}, {}, QStringList{}});
  ops.append({QStringLiteral("connection"), QStringLiteral("actGetStartInfo"), {},
              [](World& w) {
                w.connect();
                w.page(kPagePolling);
                w.ws().link.lbRelay.setSelected(0);
              },
              link, gone});
  ops.append({QStringLiteral("connection (list double-click)"), QStringLiteral("lbRelayDblClick"), {},
              [](World& w) {
                w.connect();
                w.page(kPagePolling);
                w.ws().link.lbRelay.setSelected(0);
              },
              link, {msg::link::kNotConnected}});
  ops.append({QStringLiteral("refresh"), QStringLiteral("actrefresh"), {}, onPage(kPageDinamic),
              link, gone});
  ops.append({QStringLiteral("auto-refresh tick"), QStringLiteral("RefreshTimerTimer"), {},
              [](World& w) {
                w.connect();
                w.page(kPageDinamic);
                w.prompts.answerInput(QStringLiteral("60"));
                w.run(QStringLiteral("actSetTimerRefresh"));
              },
              // A port that has gone is not polled after the failed tick:
              // one box says the failure.
              {msg::kDataLost}, {msg::kDataLost}});
  for (int tag = 1; tag <= 8; ++tag)
    ops.append({QStringLiteral("command %1").arg(tag), QStringLiteral("SetCommand"), {tag},
                [](World& w) {
                  w.connect();
                  w.page(kPageDinamic);
                  w.prompts.answerPassword(QStringLiteral("AAAA"));
                },
                // A relay, acknowledge or recorder command the device does
                // not confirm adds no line and shows nothing.
                tag == 8 ? QStringList{msg::kClockNotSet} : QStringList{}, gone});
  ops.append({QStringLiteral("parameter read"), QStringLiteral("ActGetParSet"), {},
              onPage(kPageParam), link, gone});
  ops.append({QStringLiteral("settings read"), QStringLiteral("ActGetParSet"), {},
              onPage(kPageSettings), link, gone});
  ops.append({QStringLiteral("parameter write"), QStringLiteral("actSetParametr"), {},
              [](World& w) {
                w.connect();
                w.page(kPageSettings);
                w.run(QStringLiteral("ActGetParSet"));
                // Four settings changed by hand: each a write of its own.
                const TextGrid& g = w.ws().parameters.grdSett;
                int marked = 0;
                for (int row = 0; row < g.rowCount() && marked < 4; ++row) {
                  bool number = false;
                  const QString text = g.cell(1, row);
                  const int v = text.toInt(&number);
                  // Plain numbers only; a text of bits is not one.
                  const bool bits = text.size() > 1 && text.count(QLatin1Char('0')) +
                                                           text.count(QLatin1Char('1')) == text.size();
                  if (!number || bits || g.cell(3, row) == QLatin1String("-1") || v <= 1) continue;
                  // Down to 2, then 3 and 2 by turns: every run changes
                  // the same rows (the closing box counts them).
                  putRowText(w.ws().parameters.params, 2, row, QString::number(v == 2 ? 3 : v - 1));
                  w.ws().parameters.params.setMarked(2, row, true);
                  ++marked;
                }
                w.ws().parameters.ParamsModified = true;
                w.prompts.answerPassword(QStringLiteral("AAAA"));
              },
              // A port that fails while writing is reported as the link.
              link, link});
  ops.append({QStringLiteral("password change"), QStringLiteral("actChangePass"), {},
              [](World& w) {
                w.connect();
                w.page(kPageDinamic);
                const QString old = w.session().vmk.setup.DevicePassword;
                w.prompts.answerChangePassword(PasswordChange{old, old, old});
              },
              link, link});
  // The journals report a port that fails while reading as the link.
  ops.append({QStringLiteral("event journal"), QStringLiteral("actGetData"), {},
              onPage(kPageEvents), link, link});
  ops.append({QStringLiteral("statistics"), QStringLiteral("actGetData"), {},
              onPage(kPageStatistic), link, link});
  // The alarm list names what arrived: its length and frame byte 3.
  ops.append({QStringLiteral("alarm list"), QStringLiteral("actGetData"), {},
              onPage(kPageAlarm), {msg::journals::kReceiveError + QStringLiteral("0|0")}, link});
  Operation osc{QStringLiteral("oscillogram download"), QStringLiteral("actGetInterrupt"), {},
                [](World& w) {
                  w.connect();
                  w.page(kPageAlarm);
                  if (w.ws().journals.grdAlarm.cell(1, 0).isEmpty()) w.run(QStringLiteral("actGetData"));
                  w.ws().journals.grdAlarm.setCurrentRow(0);
                  // A pair of that name from an earlier download.
                  for (const char* ext : {"cfg", "dat"}) {
                    QFile f(w.file(QStringLiteral("osc.%1").arg(QLatin1String(ext))));
                    if (f.exists()) continue;
                    f.open(QIODevice::WriteOnly);
                    f.write("an earlier download\r\n");
                  }
                  w.prompts.answerSave(w.file(QStringLiteral("osc.cfg")));
                },
                {msg::journals::kOscConfirm, msg::kLinkError},
                {msg::journals::kOscConfirm, msg::kLinkError},
                true};
  // The question comes before the port is opened.
  osc.refusedBoxes = QStringList{msg::journals::kOscConfirm, kOpenRefused};
  ops.append(osc);
  ops.append({QStringLiteral("device report"), QStringLiteral("actPrint"), {},
              [](World& w) {
                w.connect();
                w.page(kPageParam);
                // The templates beside the program.
                w.ws().ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
                w.windows->onOpenDocument = [](const QString&) {};
                QFile f(w.file(QStringLiteral("protocol.xlsx")));
                if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("an earlier report");
                w.prompts.answerSave(w.file(QStringLiteral("protocol.xlsx")));
              },
              // The workbook is written only after the reads, so a port
              // that fails is the link's.
              link, link});
  const std::pair<const char*, const char*> service[] = {
      {"N9", "factory number"}, {"N10", "statistics cleared"},
      {"N11", "oscillograms erased"}, {"N12", "events erased"}};
  for (const auto& [item, what] : service)
    ops.append({QStringLiteral("service: %1").arg(QLatin1String(what)), QString::fromLatin1(item), {},
                [](World& w) {
                  w.connect();
                  w.page(kPageDinamic);
                  w.prompts.answerNumber(QStringLiteral("4321"));
                  w.prompts.answerPassword(QStringLiteral("AAAA"));
                },
                // A request the device leaves unanswered shows nothing
                // beyond the warning, and adds no memo line.
                {kHealthy}, {kHealthy, kGone}});
  ops.append({QStringLiteral("service: calibration entry and exit"), QStringLiteral("N13"), {},
              [](World& w) {
                w.connect();
                w.page(kPageDinamic);
                w.prompts.answerPassword(QStringLiteral("AAAA"));
                w.windows->onCalibration = [] {};
              },
              // Calibration mode not entered: the window does not run and
              // nothing is shown, as for the other service requests.
              {kHealthy}, gone});
  ops.append({QStringLiteral("service: calibration read and write"), QStringLiteral("N13"), {},
              [](World& w) {
                w.connect();
                w.page(kPageDinamic);
                w.prompts.answerPassword(QStringLiteral("AAAA"));
                // The calibration window: into adjustment, point 1 read and
                // its coefficient written, out again.
                w.windows->onCalibration = [&w] {
                  CalibrationModel::Options o;
                  o.programDir = w.ws().ProgramDir;
                  o.messageCaption = QStringLiteral("Калибровка");
                  o.wait = [](int) {};
                  o.processEvents = [] {};
                  CalibrationModel model(w.session(), w.prompts, o);
                  model.btConnectClick();
                  model.btrClick(1);
                  model.btwClick(1);
                  model.btDisconnectClick();
                };
              },
              // The window's own box for the read; a device silent from
              // then on does not leave calibration mode either.
              {svc::kRead1NoAnswer}, gone, false, 0,
              QStringList{svc::kRead1NoAnswer, msg::kLinkError}});

  // "Собрать данные со всех устройств..." over the front connector into
  // <files>/batch. A device that fails is recorded and the batch goes on:
  // the summary box counts it; a port that goes stops the batch, which
  // reports it as the link.
  const QString batchDir = QStringLiteral("batch");
  const auto batchArrange = [batchDir](World& w) {
    w.page(kPagePolling);
    w.prompts.answerFolder(w.file(batchDir));
  };
  const QString batchSummary = QStringLiteral("Устройств: 1, с ошибками: %1. Сводка: <files>/batch/index.txt");
  // The middle request falls in the oscillograms, whose blocks are asked
  // again.
  Operation batchOsc{QStringLiteral("batch extraction (oscillogram struck)"), QStringLiteral("actCollectAll"),
                     {}, batchArrange, {batchSummary.arg(1)}, link, true};
  batchOsc.batchFolder = batchDir;
  // A bus where nobody answers has no device to collect.
  batchOsc.muteBoxes = QStringList{QStringLiteral("Устройств: 0, с ошибками: 0. Сводка: <files>/batch/index.txt")};
  ops.append(batchOsc);
  // The middle counter of the statistics: that journal fails, the alarm
  // list and the oscillograms follow.
  Operation batchStats{QStringLiteral("batch extraction (statistics struck)"), QStringLiteral("actCollectAll"),
                       {}, batchArrange, {batchSummary.arg(1)}, link};
  batchStats.strikeAt = [](const QByteArray& r) {
    return r.size() > 4 && std::uint8_t(r[1]) == 3 &&
           (std::uint8_t(r[2]) << 8 | std::uint8_t(r[3])) == reg::kStatistics.first + reg::kStatistics.count / 2;
  };
  batchStats.batchFolder = batchDir;
  ops.append(batchStats);

  // "Сравнить уставки...", the window's "Группа 1 и группа 2 устройства":
  // both groups read fresh.
  ops.append({QStringLiteral("comparison (group 1 against group 2)"), QStringLiteral("actCompare"), {},
              [](World& w) {
                w.connect();
                w.page(kPageDinamic);
                w.windows->onComparison = [&w] { compareGroups(w.ws()); };
              },
              link, gone});
  return ops;
}

// A whole run of an operation on a healthy line: the requests it makes,
// the time it takes, the boxes and the cells it leaves.
struct Baseline {
  int requests = 0;
  QList<QByteArray> requestFrames;
  qint64 ms = 0;
  QStringList boxes;
  Cells before, after;
};

QHash<QString, Baseline>& baselines() {
  static QHash<QString, Baseline> b;
  return b;
}

// Runs `op` once after arranging; the boxes it showed.
QStringList runOnce(World& w, const Operation& op, qint64* ms = nullptr) {
  w.prompts.forget();
  QElapsedTimer clock;
  clock.start();
  w.run(op.command, op.trigger);
  if (ms) *ms = clock.elapsed();
  QStringList boxes = w.prompts.boxTexts();
  // A text that names a file of the world's own folder.
  for (QString& b : boxes) b.replace(w.files.path(), QStringLiteral("<files>"));
  return boxes;
}

const Baseline& baselineOf(const Operation& op, LinkKind kind = LinkKind::Line) {
  const QString key = op.label + QLatin1Char('/') + QLatin1String(kindName(kind));
  auto it = baselines().find(key);
  if (it != baselines().end()) return *it;
  World w(kind);
  op.arrange(w);
  Baseline b;
  b.before = cellsOf(w);
  w.devices.forgetRequests();
  if (w.net) w.net->setFaults({});
  b.boxes = runOnce(w, op, &b.ms);
  b.requests = w.net ? w.net->requests() : int(w.devices.requests().size());
  b.requestFrames = w.devices.requests();
  b.after = cellsOf(w);
  return *baselines().insert(key, b);
}

// The request a fault strikes in a whole run: the middle one, or where the
// operation says.
int strikeOf(const Operation& o, const Baseline& healthy) {
  if (o.strikeAt) {
    for (int i = 0; i < healthy.requestFrames.size(); ++i)
      if (o.strikeAt(healthy.requestFrames[i])) return i + 1;
    return 0;
  }
  return o.strikeFromEnd > 0 ? healthy.requests - o.strikeFromEnd + 1
                             : std::max(1, (healthy.requests + 1) / 2);
}

}  // namespace

class TestFaultMatrix : public QObject {
  Q_OBJECT

  void addCases(const QStringList& prefixes) {
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("fault");
    const QList<Operation> ops = operations();
    for (int i = 0; i < ops.size(); ++i) {
      bool mine = false;
      for (const QString& p : prefixes) mine = mine || ops[i].label.startsWith(p);
      if (!mine) continue;
      for (LineFault f : kFaults)
        QTest::addRow("%s / %s", qPrintable(ops[i].label), faultName(f)) << i << int(f);
    }
  }

  void runCase() {
    QFETCH(int, op);
    QFETCH(int, fault);
    const Operation o = operations()[op];
    const LineFault f = LineFault(fault);
    const Baseline& healthy = baselineOf(o);
    QVERIFY2(healthy.requests > 0, "the operation talks to the device");
    QVERIFY2(!healthy.boxes.contains(msg::kLinkError), qPrintable(healthy.boxes.join('|')));
    for (const QString& b : healthy.boxes)
      QVERIFY2(!b.startsWith(QStringLiteral("Ошибка")), qPrintable(b));

    World w;
    o.arrange(w);
    const Cells before = cellsOf(w);
    w.devices.forgetRequests();
    // The middle request of a whole run; a runaway operation is stopped.
    const int strike = strikeOf(o, healthy);
    QVERIFY2(strike > 0, "a whole run makes the request to strike");
    const int cap = 4 * healthy.requests + 20;
    bool runaway = false;
    LinkPlan& plan = w.devices.plan;
    plan.fault = [&, f](const QByteArray&) {
      const int n = int(plan.requests.size());  // this request's number, from 1
      if (n > cap) {
        runaway = true;
        return Fault::Vanish;
      }
      if (f == LineFault::SilentAfter) return n >= strike ? Fault::Silence : Fault::None;
      if (n != strike) return Fault::None;
      switch (f) {
        case LineFault::Drop: return Fault::Silence;
        case LineFault::Crc: return Fault::Corrupt;
        case LineFault::Truncate: return Fault::Truncate;
        case LineFault::Delay: return Fault::Delay;
        case LineFault::Vanish: return Fault::Vanish;
        case LineFault::Garbage: return Fault::Garbage;
        case LineFault::LateReply: return Fault::LateReply;
        default: return Fault::None;
      }
    };

    qint64 ms = 0;
    const QStringList boxes = runOnce(w, o, &ms);
    QVERIFY2(!runaway, "the operation went on asking after the line failed");

    const bool recovers = readable(f) || (o.retries && f != LineFault::SilentAfter && f != LineFault::Vanish);
    const QStringList expected = recovers ? healthy.boxes
                                 : expand(f == LineFault::Vanish ? o.goneBoxes
                                          : f == LineFault::SilentAfter && o.silentBoxes
                                              ? *o.silentBoxes
                                              : o.failBoxes,
                                          healthy.boxes);
    checkRun(w, o, healthy, before, {boxes, expected, ms, int(plan.requests.size()), recovers});
    if (QTest::currentTestFailed()) return;

    // The line is healthy again (the adapter plugged back in).
    plan.fault = nullptr;
    plan.gone = false;
    checkHealthyAgain(w, o, healthy);
  }

  // What a faulted run showed and cost, and what it owed.
  struct Run {
    QStringList boxes;
    QStringList expected;
    qint64 ms;
    int requests;   // made during the run
    bool recovers;  // the master or the operation saw through the fault
    // A batch that never began (its port would not open) writes no index.
    bool batchBegan = true;
  };

  // The checks of every case after the faulted run.
  void checkRun(World& w, const Operation& o, const Baseline& healthy, const Cells& before,
                const Run& run) {
    const Cells after = cellsOf(w);
    // The time-out of each request asked, the rest of a reply cut short,
    // and a healthy run's own time.
    const qint64 budget = 2 * healthy.ms + run.requests * (w.timeoutMs() + timing::kReplyMarginMs + 20) + 1500;
    QVERIFY2(run.ms <= budget, qPrintable(QStringLiteral("%1 ms, budget %2 ms").arg(run.ms).arg(budget)));
    QVERIFY2(!w.session().Port1.isOpen(), "the port is closed afterwards");
    QVERIFY2(!w.session().isBusy(), "the busy flag is released");
    QVERIFY(w.ws().pages.isWindowEnabled());

    QVERIFY2(run.boxes == run.expected, qPrintable(run.boxes.join(QStringLiteral(" | ")) +
                                                   QStringLiteral("  expected: ") +
                                                   run.expected.join(QStringLiteral(" | "))));
    const bool batch = !o.batchFolder.isEmpty();
    // A failed batch's index records the failure: checked on its own.
    const QStringList wrong = batch && !run.recovers
                                  ? madeUp(before, withoutIndex(healthy.after, o.batchFolder),
                                           withoutIndex(after, o.batchFolder))
                                  : madeUp(before, healthy.after, after);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 6).join(QStringLiteral("; "))));
    if (run.recovers) QVERIFY(after == healthy.after);
    if (batch && run.batchBegan) {
      const QStringList index = batchIndexProblems(w.file(o.batchFolder), !run.recovers);
      QVERIFY2(index.isEmpty(), qPrintable(index.mid(0, 4).join(QStringLiteral("; "))));
    }
    // A file the failed run replaced would be its own, not the old one.
    for (auto it = before.cbegin(); it != before.cend(); ++it)
      if (it.key().startsWith(QLatin1String("file ")) && !run.recovers)
        QCOMPARE(after.value(it.key()), it.value());
  }

  // The same operation on the healed link: the boxes of a whole run, the
  // port closed, and a batch folder completed.
  void checkHealthyAgain(World& w, const Operation& o, const Baseline& healthy) {
    w.prompts.forget();
    o.arrange(w);
    const QStringList again = runOnce(w, o);
    QVERIFY2(again == healthy.boxes, qPrintable(again.join(QStringLiteral(" | ")).replace(u'\n', u'/') + QStringLiteral(" <> ") + healthy.boxes.join(QStringLiteral(" | ")).replace(u'\n', u'/')));
    QVERIFY(!w.session().Port1.isOpen());
    QVERIFY(!w.session().isBusy());
    if (o.batchFolder.isEmpty()) return;
    // The second run over the folder completes it: every file as a whole
    // run writes it, and an index that records no failure.
    const Cells completed = withoutIndex(filesIn(cellsOf(w), o.batchFolder), o.batchFolder);
    const Cells whole = withoutIndex(filesIn(healthy.after, o.batchFolder), o.batchFolder);
    QVERIFY(!whole.isEmpty());
    QStringList differing;
    for (const Cells* m : {&whole, &completed})
      for (auto it = m->cbegin(); it != m->cend(); ++it)
        if (whole.value(it.key()) != completed.value(it.key()) && !differing.contains(it.key()))
          differing << it.key();
    QVERIFY2(differing.isEmpty(), qPrintable(differing.mid(0, 6).join(QStringLiteral("; "))));
    const QStringList index = batchIndexProblems(w.file(o.batchFolder), false);
    QVERIFY2(index.isEmpty(), qPrintable(index.mid(0, 4).join(QStringLiteral("; "))));
  }

  // An operation where the link matters, over TCP, against a fault of the
  // network: refused (at the operation's own connect), reset at the struck
  // request, a server that takes the connection and answers nothing, a
  // gateway's reply under a wrong transaction id at the struck request.
  void runNetCase() {
    QFETCH(int, op);
    QFETCH(int, fault);
    QFETCH(int, kind);
    const Operation o = operations()[op];
    const NetFault f = NetFault(fault);
    const LinkKind k = LinkKind(kind);
    const Baseline& healthy = baselineOf(o, k);
    QVERIFY2(healthy.requests > 0, "the operation talks to the device");
    QVERIFY2(!healthy.boxes.contains(msg::kLinkError), qPrintable(healthy.boxes.join('|')));

    World w(k);
    o.arrange(w);
    const Cells before = cellsOf(w);
    w.devices.forgetRequests();
    const int strike = strikeOf(o, healthy);
    QVERIFY2(strike > 0, "a whole run makes the request to strike");
    sim::FaultPlan plan;
    PortSettings& settings = w.session().Port1.settings();
    const int port = settings.tcpPort;
    switch (f) {
      case NetFault::Refused: settings.tcpPort = refusingPort(); break;
      case NetFault::Reset: plan.resetAt = strike; break;
      case NetFault::NeverAnswers: plan.silentAfter = 0; break;
      case NetFault::WrongTransaction: plan.wrongTransactionAt = strike; break;
    }
    w.net->setFaults(plan);
    const QString name = settings.linkName();

    qint64 ms = 0;
    const QStringList boxes = runOnce(w, o, &ms);
    const int made = w.net->requests();
    QVERIFY2(made <= 4 * healthy.requests + 20, "the operation went on asking after the link failed");

    // A reset is a port failure as a vanished port is, a wrong transaction
    // a reply lost; the refused connection is the port that would not open.
    const auto goneAs = [&](const QString& text) {
      QStringList out = o.goneBoxes;
      for (QString& b : out)
        if (b == kGone) b = text;
      return out;
    };
    const bool recovers = f == NetFault::WrongTransaction && o.retries;
    QStringList expected;
    switch (f) {
      case NetFault::Refused:
        expected = o.refusedBoxes.value_or(QStringList{kOpenRefused});
        expected.replaceInStrings(kOpenRefused, QStringLiteral("Ошибка открытия порта %1: %2").arg(name, tcp_reason::kRefused));
        break;
      case NetFault::Reset:
        expected = goneAs(QStringLiteral("Порт %1 недоступен: %2").arg(name, tcp_reason::kClosed));
        break;
      case NetFault::NeverAnswers: expected = o.muteBoxes.value_or(o.failBoxes); break;
      case NetFault::WrongTransaction: expected = recovers ? healthy.boxes : o.failBoxes; break;
    }
    checkRun(w, o, healthy, before,
             {boxes, expand(expected, healthy.boxes), ms, made, recovers, f != NetFault::Refused});
    if (QTest::currentTestFailed()) return;

    // The server takes connections and answers again.
    settings.tcpPort = port;
    w.net->setFaults({});
    checkHealthyAgain(w, o, healthy);
  }

 private Q_SLOTS:
  void everyDeviceOperationIsInTheMatrix() {
    // Device operations that exchange nothing with a device: the port
    // commands, the timer switch, the settings file, the grid editing (its
    // password window is "password change"), the calibration window's
    // own port (its exchanges run inside "N13" here).
    const QStringList noExchange{
        QStringLiteral("actOpenPort"),   QStringLiteral("actClosePort"),
        QStringLiteral("actSettingPort"), QStringLiteral("actSaveSetPort"),
        QStringLiteral("actLoadSetPort"), QStringLiteral("actFrontPort"),
        QStringLiteral("actReaPort"),    QStringLiteral("ActOCPort"),
        QStringLiteral("ActSetTO"),      QStringLiteral("actSetTimerRefresh"),
        QStringLiteral("ActOpenFile"),   QStringLiteral("ActSaveFile"),
        QStringLiteral("rbGroup2Click"), QStringLiteral("Grid1DblClick"),
        QStringLiteral("actCalibr")};
    QSet<QString> covered;
    for (const Operation& o : operations()) covered.insert(o.command);
    QStringList missing;
    for (const WindowCommand& c : commandRegistry().windowCommands())
      if (c.deviceOperation && !covered.contains(c.name) && !noExchange.contains(c.name))
        missing << c.name;
    QCOMPARE(missing, QStringList());
  }

  void linkAndMonitor_data() {
    addCases({QStringLiteral("polling"), QStringLiteral("connection"), QStringLiteral("refresh"),
              QStringLiteral("auto-refresh"), QStringLiteral("command")});
  }
  void linkAndMonitor() { runCase(); }
  void paramsAndService_data() {
    addCases({QStringLiteral("parameter"), QStringLiteral("settings"), QStringLiteral("password"),
              QStringLiteral("service")});
  }
  void paramsAndService() { runCase(); }
  void journals_data() {
    addCases({QStringLiteral("event"), QStringLiteral("statistics"), QStringLiteral("alarm"),
              QStringLiteral("oscillogram"), QStringLiteral("device report")});
  }
  void journals() { runCase(); }
  void batchAndComparison_data() {
    addCases({QStringLiteral("batch"), QStringLiteral("comparison")});
  }
  void batchAndComparison() { runCase(); }
  void network_data() {
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("kind");
    const QList<Operation> ops = operations();
    for (int i = 0; i < ops.size(); ++i) {
      if (!kOverTcp.contains(ops[i].label)) continue;
      for (LinkKind k : {LinkKind::RtuOverTcp, LinkKind::ModbusTcp})
        for (NetFault f : kNetFaults) {
          if (f == NetFault::WrongTransaction && k != LinkKind::ModbusTcp) continue;
          QTest::addRow("%s / %s / %s", qPrintable(ops[i].label), kindName(k), netFaultName(f))
              << i << int(f) << int(k);
        }
    }
  }
  void network() { runNetCase(); }
};

QTEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
