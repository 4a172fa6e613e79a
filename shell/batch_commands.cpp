// vmkctl batch: every answering device of the bus into a folder of its own.

#include "shell/batch_commands.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "batch/batch_run.h"
#include "device/session.h"
#include "extlib/view_loader.h"
#include "model/clock.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/page_rules.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

Outcome batchCommand(CliCall& call) {
  if (!call.args.isEmpty())
    throw UsageError{QStringLiteral("this command takes no arguments; options: -o DIR [--addresses LIST] [--what LIST] [--standard]")};
  const std::optional<QString> dir = call.option(QStringLiteral("-o"));
  if (!dir || dir->isEmpty()) throw UsageError{QStringLiteral("-o DIR is needed")};
  batch::Options o;
  o.dir = *dir;
  o.connector = call.rear ? Connector::Rear : Connector::Front;
  o.today = call.clock.now().date();
  o.form = call.flag(QStringLiteral("--standard")) ? osc::Form::Standard : osc::Form::Device;
  if (const auto list = call.option(QStringLiteral("--addresses"))) {
    const auto addresses = batch::parseAddresses(*list);
    if (!addresses) throw UsageError{QStringLiteral("--addresses: a list of addresses 1..32 such as 1-3,5")};
    o.addresses = *addresses;
  }
  if (const auto what = call.option(QStringLiteral("--what"))) {
    const auto parts = batch::parseParts(*what);
    if (!parts) throw UsageError{QStringLiteral("--what: a list of info,params,events,stats,alarms,osc")};
    o.parts = *parts;
  }

  ViewLoader loader(call.programDir);
  const osc::FunctionNames names = [&loader](int kind, int index) { return loader.funcName(kind, index); };
  const batch::ProgressLine progress = [&call](int address, const QString& what) {
    if (!call.note) return;
    call.note(address ? QStringLiteral("%1: %2").arg(address).arg(what) : what);
  };
  const batch::Result r = batch::runBatch(call.session, call.jobs, call.prompts, names, o, progress);

  QJsonArray devices;
  for (const batch::DeviceRecord& d : r.devices) {
    int written = 0, skipped = 0, failed = 0;
    for (const batch::Item& i : d.items) {
      written += i.state == batch::Item::State::Written;
      skipped += i.state == batch::Item::State::Skipped;
      failed += i.state == batch::Item::State::Failed;
    }
    call.text << QStringLiteral("%1\t%2\t%3\twritten %4\tskipped %5\tfailed %6%7")
                     .arg(d.address)
                     .arg(d.serial < 0 ? QStringLiteral("?") : QString::number(d.serial))
                     .arg(d.folder.isEmpty() ? QStringLiteral("-") : d.folder)
                     .arg(written).arg(skipped).arg(failed)
                     .arg(d.failed ? QStringLiteral("\t") + d.why : QString());
    devices.append(QJsonObject{{QStringLiteral("address"), d.address},
                               {QStringLiteral("serial"), d.serial},
                               {QStringLiteral("folder"), d.folder},
                               {QStringLiteral("failed"), d.failed},
                               {QStringLiteral("written"), written},
                               {QStringLiteral("skipped"), skipped},
                               {QStringLiteral("failures"), failed}});
  }
  call.data.insert(QStringLiteral("dir"), o.dir);
  call.data.insert(QStringLiteral("devices"), devices);
  call.data.insert(QStringLiteral("complete"), r.outcome == Outcome::Done);
  if (!r.indexError.isEmpty()) {
    call.prompts.error(r.indexError);
    return r.outcome == Outcome::Done ? Outcome::InputRefused : r.outcome;
  }
  if (r.outcome != Outcome::Done) return r.outcome;
  for (const batch::DeviceRecord& d : r.devices)
    if (d.failed) return Outcome::NoAnswer;
  return Outcome::Done;
}

const QString kBatchHelp = QStringLiteral(
    "vmkctl [global options] batch -o DIR [--addresses LIST] [--what LIST] [--standard]\n"
    "\n"
    "Polls the bus (the rear connector's addresses 1..32, or those of --addresses\n"
    "such as 1-3,5; the front connector has address 1 only) and writes, for every\n"
    "device that answers, into DIR/<address>-<factory number>/:\n"
    "  info.txt                    the connection report\n"
    "  group1.ust, group2.ust      the parameters with each group's settings\n"
    "  events, stats, alarms       .csv and .json of each journal\n"
    "  osc-EE-YYYYMMDD-hhmmss      .cfg and .dat of every recorded oscillogram\n"
    "                              (entry EE, its alarm time); --standard writes\n"
    "                              strict COMTRADE 1999 instead of the maker's form\n"
    "--what takes a list of info,params,events,stats,alarms,osc (default: all).\n"
    "A device of variant 3 has no journals: they are listed as not available.\n"
    "Then DIR/index.json and DIR/index.txt say what was found, written, skipped and\n"
    "failed, and which addresses were silent. Every file appears only when whole:\n"
    "a second run over the same folder skips the files that are there (an\n"
    "oscillogram by its entry and alarm time) and does the rest, so an interrupted\n"
    "run resumes. A device that fails is recorded and the next one follows.\n"
    "Progress lines go to standard error; Ctrl-C stops after the current exchange\n"
    "with the index written. Prints one line per device: address, factory number,\n"
    "folder and counts. Exit codes: 0 all done, 1 a device failed, a link failure\n"
    "or a cancel, 2 usage, 3 the folder or index cannot be written.\n");


// The main window takes no input while the batch runs; the gauge shows
// the address. Undone on every way out.
class BatchWindowState {
 public:
  BatchWindowState(PageState& pages, Progress& gauge) : m_pages(pages), m_gauge(gauge) {
    m_pages.setWindowEnabled(false);
    m_gauge.setPosition(m_gauge.minimum());
    m_gauge.setVisible(true);
  }
  ~BatchWindowState() {
    m_gauge.setVisible(false);
    m_pages.setWindowEnabled(true);
  }
  BatchWindowState(const BatchWindowState&) = delete;
  BatchWindowState& operator=(const BatchWindowState&) = delete;

 private:
  PageState& m_pages;
  Progress& m_gauge;
};

}  // namespace

batch::Result collectAllDevices(ShellContext& ws, LinkPage& page, const QString& dir,
                                const osc::FunctionNames& names) {
  Session& s = ws.session;
  PortBracket port(s);
  page.Memo1.clear();
  ws.status.setText(panel::kDevice, QString());
  s.DeviceAddress = 0;
  BlockTabSheet(ws, true);

  batch::Options o;
  o.dir = dir;
  o.connector = ws.pages.action(QStringLiteral("actFrontPort")).checked ? Connector::Front : Connector::Rear;
  o.today = ws.clock.now().date();
  batch::Result r;
  {
    BatchWindowState state(ws.pages, page.Gauge1);
    const batch::ProgressLine progress = [&ws, &page](int address, const QString& what) {
      if (address) page.Gauge1.setPosition(address);
      page.Memo1.append(address ? QStringLiteral("%1: %2").arg(address).arg(what) : what);
      // The window paints between the operations too.
      if (ws.jobs.processEvents) ws.jobs.processEvents();
    };
    r = batch::runBatch(s, ws.jobs, ws.prompts, names, o, progress);
  }
  s.closePort();
  // The record is that of the last device asked; nothing is chosen.
  s.DeviceAddress = 0;

  int failed = 0;
  for (const batch::DeviceRecord& d : r.devices) failed += d.failed;
  const QString summary = QStringLiteral("Устройств: %1, с ошибками: %2. Сводка: %3")
                              .arg(r.devices.size())
                              .arg(failed)
                              .arg(QDir(dir).filePath(QStringLiteral("index.txt")));
  page.Memo1.append(summary);
  if (!r.indexError.isEmpty()) {
    ws.prompts.error(r.indexError);
  } else if (r.outcome == Outcome::Cancelled) {
    ws.status.setText(panel::kNote, msg::kOperationCancelled);
  } else if (r.outcome != Outcome::Done) {
    ws.prompts.error(msg::kLinkError);
  } else {
    ws.prompts.information(summary);
  }
  return r;
}

void declareBatchCommands(CommandRegistry& registry) {
  // "Подключение" -> "Собрать данные со всех устройств...": the folder is
  // asked only once no other operation runs (the busy rule comes first).
  registry.add(WindowCommand{QStringLiteral("actCollectAll"), [](Workspace& ws, const Trigger&) {
                               const std::optional<QString> dir =
                                   ws.prompts.chooseFolder(QStringLiteral("Собрать данные со всех устройств"));
                               if (!dir || dir->isEmpty()) return;
                               ViewLoader loader(ws.ProgramDir);
                               collectAllDevices(ws, ws.link, *dir, [&loader](int kind, int index) {
                                 return loader.funcName(kind, index);
                               });
                             }});
  registry.add(CliCommand{{QStringLiteral("batch")},
                          QStringLiteral("batch -o DIR [--addresses LIST] [--what LIST] [--standard]"),
                          QStringLiteral("collect every device of the bus into a folder"),
                          kBatchHelp,
                          batchCommand});
}

}  // namespace vmk
