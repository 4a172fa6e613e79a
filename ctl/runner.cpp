#include "ctl/runner.h"

#include <QFileInfo>
#include <QJsonArray>

#include "extlib/transport_error.h"
#include "link/polling.h"
#include "device/program_dir.h"
#include "params/catalogue.h"
#include "model/messages.h"
#include "monitor/messages.h"
#include "shell/page_rules.h"
#include "shell/command_table.h"
#include "shell/params_commands.h"
#include "shell/monitor_commands.h"
#include "shell/link_commands.h"
#include "shell/port_commands.h"

namespace vmk::ctl {

namespace {

QJsonArray toJson(const QStringList& lines) {
  QJsonArray a;
  for (const QString& l : lines) a.append(l);
  return a;
}

// Data rows of a grid as "caption<TAB>value" (heading rows left out).
QStringList gridRows(const TextGrid& grid) {
  QStringList rows;
  for (int r = 0; r < grid.rowCount(); ++r) {
    if (grid.cell(3, r) == QLatin1String("-1") || grid.cell(0, r).isEmpty()) continue;
    rows << grid.cell(0, r) + QLatin1Char('\t') + grid.cell(1, r);
  }
  return rows;
}

}  // namespace

Runner::Runner(const CommandLine& line, SerialPort::LinkFactory factory) : m_line(line) {
  CliAnswers answers;
  if (line.options.contains(QStringLiteral("--password")))
    answers.password = line.options.value(QStringLiteral("--password"));
  if (line.options.contains(QStringLiteral("-o")))
    answers.saveFile = line.options.value(QStringLiteral("-o"));
  m_session = std::make_unique<Session>(std::move(factory));
  m_prompts = std::make_unique<CliPrompts>(answers);
  m_prompts->setQuiet(line.global.json);
  m_ws = std::make_unique<Workspace>(*m_session, *m_prompts, m_clock);
  m_ws->ProgramDir = programDir();
  applyCommandTable(m_ws->pages);
  FillParamList(m_ws->Grid1);
  FillUstList(m_ws->grdSett, m_ws->SettingGroup);
}

Runner::~Runner() { m_session->closePort(); }

void Runner::setUpPort() {
  const bool rear = m_line.global.connector == QStringLiteral("rear");
  // The window's own connector commands: load Front.ini or Rear.ini, and on
  // the front connector talk to address 1.
  actPort(*m_ws, rear ? kTagReaPort : kTagFrontPort);
  PortSettings& s = m_session->Port1.settings();
  if (m_line.global.port) s.portName = *m_line.global.port;
  if (m_line.global.baud) {
    s.baudRate = 0;  // "Custom"
    s.customBaudRate = *m_line.global.baud;
  }
  if (rear) m_session->DeviceAddress = std::uint8_t(m_line.global.address.value_or(1));
  if (m_line.global.timeout) m_session->modbus.SetTry(*m_line.global.timeout);
}

std::optional<int> Runner::group() const {
  const QString g = m_line.options.value(QStringLiteral("--group"), QStringLiteral("1"));
  if (g == QLatin1String("1")) return 1;
  if (g == QLatin1String("2")) return 2;
  return std::nullopt;
}

ExitCode Runner::outcome(bool refusalsAreValidation) const {
  const QStringList& errors = m_prompts->errors();
  if (errors.isEmpty()) return kDone;
  for (const QString& e : errors) {
    if (e == msg::kPasswordError) return kRefused;
    if (refusalsAreValidation && e != msg::kLinkError) return kRefused;
  }
  return kDeviceFailure;
}

ExitCode Runner::run() {
  const QStringList& c = m_line.command;
  const QString name = c.value(0);
  m_data.insert(QStringLiteral("command"), c.join(QLatin1Char(' ')));
  setUpPort();
  try {
    if (name == QLatin1String("poll") && c.size() == 1) return poll();
    if (name == QLatin1String("info") && c.size() == 1) return info();
    if (name == QLatin1String("params") && c.value(1) == QLatin1String("get") && c.size() == 2)
      return paramsGet();
    if (name == QLatin1String("params") && c.value(1) == QLatin1String("set") && c.size() == 3)
      return paramsSet();
    if (name == QLatin1String("live") && c.size() == 1) return live();
    if (name == QLatin1String("command") && c.size() >= 2) return command();
  } catch (const Error& e) {
    // What the window shows under its title when an operation does not
    // handle an error itself.
    m_prompts->error(e.message());
    m_session->closePort();
    return kDeviceFailure;
  }
  throw UsageError{QStringLiteral("unknown command: ") + c.join(QLatin1Char(' '))};
}

ExitCode Runner::poll() {
  actPollingExecute(*m_ws);
  m_out = m_ws->lbRelay.lines();
  m_data.insert(QStringLiteral("devices"), toJson(m_out));
  return outcome();
}

bool Runner::connect() {
  const int address = RearConnectorChosen(m_ws->pages) ? m_session->DeviceAddress : 1;
  // The connection talks to the device of the selected list line.
  m_ws->lbRelay.clear();
  for (int a = 1; a <= address; ++a) m_ws->lbRelay.append(QString());
  m_ws->lbRelay.setSelected(address - 1);
  actGetStartInfoExecute(*m_ws);
  if (!m_prompts->errors().isEmpty()) return false;
  if (m_ws->Memo1.lines().isEmpty()) {
    m_prompts->error(PollingLine(ModbusLibrary::kNoAnswer, address));
    return false;
  }
  return true;
}

ExitCode Runner::info() {
  const bool ok = connect();
  m_out = m_ws->Memo1.lines();
  m_data.insert(QStringLiteral("memo"), toJson(m_out));
  m_data.insert(QStringLiteral("status"), m_ws->status.text(2));
  return ok ? outcome() : kDeviceFailure;
}

ExitCode Runner::paramsGet() {
  const auto g = group();
  if (!g) throw UsageError{QStringLiteral("--group is 1 or 2")};
  rbGroup2Click(*m_ws, *g);
  const QString file = m_line.options.value(QStringLiteral("-o"));
  if (!file.isEmpty() && !file.endsWith(QLatin1String(".ust")))
    throw UsageError{QStringLiteral("-o needs a file name ending in .ust")};
  if (!ActGetParSetExecute(*m_ws)) return outcome();
  if (!file.isEmpty()) {
    ActSaveFileExecute(*m_ws);
    if (!QFileInfo::exists(file)) return kRefused;
    m_out << file;
    m_data.insert(QStringLiteral("file"), file);
  } else {
    const QStringList params = gridRows(m_ws->Grid1);
    const QStringList settings = gridRows(m_ws->grdSett);
    m_out << params << settings;
    m_data.insert(QStringLiteral("parameters"), toJson(params));
    m_data.insert(QStringLiteral("settings"), toJson(settings));
  }
  m_data.insert(QStringLiteral("group"), *g);
  return outcome();
}

ExitCode Runner::paramsSet() {
  const auto g = group();
  if (!g) throw UsageError{QStringLiteral("--group is 1 or 2")};
  if (!m_line.options.contains(QStringLiteral("--password")))
    throw UsageError{QStringLiteral("params set needs --password")};
  const QString file = m_line.command.value(2);
  const QFileInfo info(file);
  // The window ignores a name without ".ust" silently; here that is a
  // refusal the script must see, as is a file that is not there.
  if (info.suffix() != QLatin1String("ust") || !info.isFile() || !info.isReadable()) {
    m_prompts->error(QStringLiteral("Файл %1 не найден или не является файлом уставок (*.ust)")
                         .arg(file));
    return kRefused;
  }
  if (!connect()) return kDeviceFailure;
  rbGroup2Click(*m_ws, *g);
  m_prompts->setOpenFile(file);
  ActOpenFileExecute(*m_ws);
  // A file copied from another device carries that device's address: on a
  // bus, writing it would put two devices at one address. A script must ask
  // for that change explicitly.
  const QString fileAddress = m_ws->Grid1.cell(1, 1);
  const QString deviceAddress = QString::number(m_session->vmk.setup.NetAddress);
  if (fileAddress != deviceAddress && !m_line.flags.contains(QStringLiteral("--allow-address-change"))) {
    m_prompts->error(QStringLiteral("Файл задаёт адрес устройства %1, а у устройства адрес %2. "
                                    "Запись отменена (--allow-address-change разрешает смену адреса).")
                         .arg(fileAddress, deviceAddress));
    return kRefused;
  }

  struct Marked { TextGrid* grid; int row; };
  QList<Marked> marked;
  for (TextGrid* grid : {&m_ws->Grid1, &m_ws->grdSett})
    for (int r = 0; r < grid->rowCount(); ++r)
      if (grid->cell(2, r) == QLatin1String("*")) marked.append({grid, r});

  const bool ok = actSetParametrExecute(*m_ws);
  // A refused write (password, a row that does not convert or fit) sent
  // nothing: the error box says why, there are no rows to list.
  const ExitCode code = outcome(true);
  if (code == kRefused) return code;
  QJsonArray written, unanswered;
  for (const Marked& m : marked) {
    const QString line = m.grid->cell(3, m.row) + QLatin1Char('\t') + m.grid->cell(0, m.row) +
                         QLatin1Char('\t') + m.grid->cell(1, m.row);
    if (m.grid->cell(2, m.row).isEmpty()) {
      m_out << QStringLiteral("written\t") + line;
      written.append(line);
    } else {
      m_out << QStringLiteral("unanswered\t") + line;
      unanswered.append(line);
    }
  }
  m_data.insert(QStringLiteral("written"), written);
  m_data.insert(QStringLiteral("unanswered"), unanswered);
  if (code != kDone) return code;
  return ok && unanswered.isEmpty() ? kDone : kDeviceFailure;
}

ExitCode Runner::live() {
  if (!connect()) return kDeviceFailure;
  LiveView& view = m_ws->monitor.view;
  view.setPrimaryValues(!m_line.flags.contains(QStringLiteral("--secondary")));
  // The refresh works on page 1 only, as in the window.
  m_ws->pages.setActivePage(kPageDinamic);
  pgcMainChange(*m_ws, kPageDinamic);
  actrefreshExecute(*m_ws);
  QJsonObject labels;
  for (const char* name : {"lblCurrA", "lblCurrB", "lblCurrC", "lblCurrN", "lblLastIM", "lblLastIZ",
                           "lblKoefTT", "lblKoefN"}) {
    const QString label = QString::fromLatin1(name);
    m_out << m_ws->labels.text(label);
    labels.insert(label, m_ws->labels.text(label));
  }
  QString lamps;
  QJsonArray lampArray;
  for (int input = 1; input <= 6; ++input) {
    lamps += QStringLiteral("Вход %1: %2  ").arg(input).arg(view.isInputLit(input) ? 1 : 0);
    lampArray.append(view.isInputLit(input));
  }
  m_out << lamps.trimmed();
  m_out << m_ws->mmMess.lines();
  m_data.insert(QStringLiteral("labels"), labels);
  m_data.insert(QStringLiteral("inputs"), lampArray);
  m_data.insert(QStringLiteral("memo"), toJson(m_ws->mmMess.lines()));
  return outcome();
}

ExitCode Runner::command() {
  const QStringList& c = m_line.command;
  const QString what = c.value(1);
  int tag = 0;
  if (what == QLatin1String("relay") && c.size() == 3) {
    bool ok = false;
    const int relay = c[2].toInt(&ok);
    if (!ok || relay < 1 || relay > 5) throw UsageError{QStringLiteral("relay is 1..5")};
    tag = relay;
  } else if (what == QLatin1String("ack") && c.size() == 2) {
    tag = 6;
  } else if (what == QLatin1String("start-recorder") && c.size() == 2) {
    tag = 7;
  } else if (what == QLatin1String("sync") && c.size() == 2) {
    tag = 8;
  } else {
    throw UsageError{QStringLiteral("command is relay N | ack | start-recorder | sync")};
  }
  if (!m_line.options.contains(QStringLiteral("--password")))
    throw UsageError{QStringLiteral("command needs --password")};
  QDateTime at;
  if (m_line.options.contains(QStringLiteral("--at"))) {
    if (tag != 8) throw UsageError{QStringLiteral("--at belongs to sync")};
    at = QDateTime::fromString(m_line.options.value(QStringLiteral("--at")),
                               QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (!at.isValid()) throw UsageError{QStringLiteral("--at is \"dd.MM.yyyy HH:mm:ss\"")};
  }
  if (!connect()) return kDeviceFailure;
  LiveView& view = m_ws->monitor.view;
  if (at.isValid()) {
    view.setManualClock(true);
    view.setPickerDate(at.date());
    view.setPickerTime(at.time());
  }
  m_ws->mmMess.clear();
  SetCommand(*m_ws, tag);
  m_out = m_ws->mmMess.lines();
  m_data.insert(QStringLiteral("memo"), toJson(m_out));
  const ExitCode code = outcome();
  if (code != kDone) return code;
  // A command the device did not confirm leaves no memo line.
  if (m_out.isEmpty()) {
    m_prompts->error(msg::kCommandNotConfirmed);
    return kDeviceFailure;
  }
  return kDone;
}

QJsonObject Runner::json() const {
  QJsonObject o = m_data;
  o.insert(QStringLiteral("messages"), toJson(m_prompts->shown()));
  return o;
}

}  // namespace vmk::ctl
