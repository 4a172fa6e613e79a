// vmkctl's service commands: "service ..." (the factory number, clearing
// the statistics, erasing the journals) and "calibrate" (one point of the
// calibration window, by hand or automatically, inside calibration mode).
// They connect first, as the window does before its menu can be used, and
// print the lines the window writes.

#include <QJsonArray>
#include <QJsonObject>
#include <memory>

#include "device/program_dir.h"
#include "device/session.h"
#include "model/message_log.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "service/calibration_model.h"
#include "service/service_menu.h"
#include "shell/app_info.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/service_commands.h"

namespace vmk {

namespace {

QJsonArray toJson(const QStringList& lines) {
  QJsonArray a;
  for (const QString& l : lines) a.append(l);
  return a;
}

int intOption(const CliCall& call, const QString& name, int low, int high, int fallback) {
  const std::optional<QString> text = call.option(name);
  if (!text) return fallback;
  bool ok = false;
  const int v = text->toInt(&ok);
  if (!ok || v < low || v > high)
    throw UsageError{QStringLiteral("%1 is %2..%3").arg(name).arg(low).arg(high)};
  return v;
}

void needPassword(const CliCall& call, const QString& verb) {
  if (!call.option(QStringLiteral("--password")))
    throw UsageError{verb + QStringLiteral(" needs --password")};
}

// Lines of the memos in the order they were written.
struct Transcript {
  QStringList lines;
  void follow(MessageLog& log) {
    QObject::connect(&log, &MessageLog::appended, &log, [this](const QString& l) { lines << l; });
  }
};

// ---- service ------------------------------------------------------------------

Outcome runService(CliCall& call) {
  const QStringList& a = call.args;
  const QString what = a.value(0);
  std::optional<std::uint16_t> serial;
  std::optional<ServiceErase> erase;
  if (what == QLatin1String("serial") && a.size() == 2) {
    serial = serialFromEntry(a[1]);
    if (!serial) throw UsageError{QStringLiteral("the factory number is one to five digits")};
  } else if (what == QLatin1String("clear-stats") && a.size() == 1) {
    erase = ServiceErase::ClearStats;
  } else if (what == QLatin1String("erase-osc") && a.size() == 1) {
    erase = ServiceErase::EraseOsc;
  } else if (what == QLatin1String("erase-events") && a.size() == 1) {
    erase = ServiceErase::EraseEvents;
  } else {
    throw UsageError{QStringLiteral("service is serial N | clear-stats | erase-osc | erase-events")};
  }
  needPassword(call, QStringLiteral("service"));

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  MessageLog mmMess;
  const ServiceContext c{call.session, call.prompts, mmMess, call.clock};
  const Outcome o = serial ? changeSerialNumber(c, *serial) : runServiceErase(c, *erase);
  // The window stays silent about a device that did not answer; a script is told.
  if (isLinkFailure(o)) call.prompts.error(msg::kLinkError);
  call.text << mmMess.lines();
  call.data.insert(QStringLiteral("memo"), toJson(mmMess.lines()));
  call.data.insert(QStringLiteral("carriedOut"), o == Outcome::Done);
  call.data.insert(QStringLiteral("serialNumber"), int(call.session.vmk.SerialNumber));
  return o;
}

// ---- calibrate ----------------------------------------------------------------

Outcome runCalibrate(CliCall& call) {
  if (!call.args.isEmpty()) throw UsageError{QStringLiteral("calibrate takes options only")};
  if (!call.option(QStringLiteral("--point"))) throw UsageError{QStringLiteral("calibrate needs --point N")};
  const int point = intOption(call, QStringLiteral("--point"), 1, CalibrationModel::kPoints, 0);
  const bool automatic = call.flag(QStringLiteral("--auto"));
  const std::optional<QString> refText = call.option(QStringLiteral("--reference"));
  const int reference = intOption(call, QStringLiteral("--reference"), 0, 65535, 0);
  const std::optional<QString> kText = call.option(QStringLiteral("--k"));
  const int k = intOption(call, QStringLiteral("--k"), CalibrationModel::kKMin,
                          CalibrationModel::kKMax, CalibrationModel::kKDefault);
  needPassword(call, QStringLiteral("calibrate"));

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  if (!hasCalibrationPoint(call.session.vmk, point))
    throw UsageError{QStringLiteral("a device of variant 3 has the points 1, 3, 5 and 7")};

  MessageLog mmMess;
  Transcript transcript;
  transcript.follow(mmMess);
  std::unique_ptr<CalibrationModel> model;
  Outcome work = Outcome::Done;
  int value = -1;
  const ServiceContext c{call.session, call.prompts, mmMess, call.clock};
  const auto window = [&] {
    CalibrationModel::Options options;
    options.programDir = call.programDir;
    options.messageCaption = applicationTitle();
    options.locale = QLocale::system();
    model = std::make_unique<CalibrationModel>(call.session, call.prompts, options);
    transcript.follow(model->m);
    model->btConnectClick();
    if (!model->AdjustActive()) {
      work = Outcome::NoAnswer;
      return;
    }
    if (kText) model->seKChange(k);
    if (automatic) {
      if (refText) model->setRefValue(point, reference);
      model->rgModeClick(CalibrMode::Automatic);
      model->btwClick(point);
      work = model->point(point).picture == 0 ? Outcome::Done : Outcome::DeviceRefused;
    } else {
      value = model->btrClick(point);
      if (value < 0) {
        work = Outcome::NoAnswer;
      } else if (refText) {
        model->seChange(point, reference);
        // A coefficient the device does not take (shown red) is not written.
        if (!model->point(point).writeEnabled) work = Outcome::InputRefused;
        else if (!model->WriteCoefficient(point)) work = Outcome::NoAnswer;
      }
    }
    model->btDisconnectClick();
  };
  const Outcome service = N13Click(c, window);

  call.text << transcript.lines;
  if (model) {
    const CalibrPoint& p = model->point(point);
    call.text << QStringLiteral("%1\t%2\t%3\t%4").arg(point).arg(p.value).arg(p.reference).arg(p.coefficient);
    QJsonObject o;
    o.insert(QStringLiteral("point"), point);
    o.insert(QStringLiteral("mode"), automatic ? QStringLiteral("automatic") : QStringLiteral("manual"));
    o.insert(QStringLiteral("value"), p.value.isEmpty() ? QJsonValue() : QJsonValue(p.value.toInt()));
    o.insert(QStringLiteral("reference"), p.reference);
    o.insert(QStringLiteral("coefficient"), p.coefficient);
    o.insert(QStringLiteral("k"), model->k());
    if (automatic) o.insert(QStringLiteral("adjusted"), p.picture == 0);
    call.data.insert(QStringLiteral("calibration"), o);
  }
  call.data.insert(QStringLiteral("log"), toJson(transcript.lines));
  if (service != Outcome::Done) {
    if (isLinkFailure(service)) call.prompts.error(msg::kLinkError);
    // Work done but calibration mode not left is a failure all the same.
    return work != Outcome::Done ? work : service;
  }
  return work;
}

const QString kServiceHelp = QStringLiteral(
    "vmkctl [global options] service serial N | clear-stats | erase-osc | erase-events\n"
    "       --password P\n"
    "\n"
    "Connects and sends one service request, as \"Тех.меню\" does: serial N changes\n"
    "the factory number (one to five digits; above 65535 is sent as 65535),\n"
    "clear-stats clears the statistics counters, erase-osc erases the oscillogram\n"
    "journal with the device's flash memory, erase-events the event journal. The\n"
    "warning of the menu goes to standard error; P is compared with the device's\n"
    "password before anything is sent (exit code 3 when it differs). A carried-out\n"
    "request prints its line with the PC time; a refused one prints nothing, exit\n"
    "code 1. In the window the menu is hidden until Ctrl+Shift+F12 is pressed.\n");

const QString kCalibrateHelp = QStringLiteral(
    "vmkctl [global options] calibrate --point N [--auto] [--reference R] [--k K]\n"
    "       --password P\n"
    "\n"
    "Puts the device into calibration mode, works on one measuring point as the\n"
    "calibration window does, and leaves calibration mode again. Points: 1..4\n"
    "phases A, B, C and 3Io in the lower range, 5..8 in the upper range (variant 3:\n"
    "1, 3, 5, 7). Without --auto the point is read once; with --reference R (the\n"
    "injected value) the coefficient R x K / value is computed and written when it\n"
    "is 1..254 (exit code 3 when it is not). With --auto the point is adjusted\n"
    "automatically against its reference (calibr.ini beside the program or, for an\n"
    "installed copy, in %1 when there is one there; default\n"
    "500, or R) until ten readings lie within its tolerance (exit code 1 after 50\n"
    "writes without). K is the factor of the window's \"Коэффициент\" (1..1000,\n"
    "default 205). Prints the lines of the service memo and of the window's log,\n"
    "then: point, value, reference and coefficient separated by tabs.\n");

}  // namespace

void declareServiceCliCommands(CommandRegistry& registry) {
  registry.add(CliCommand{{QStringLiteral("service")},
                          QStringLiteral("service serial N | clear-stats | erase-osc | erase-events --password P"),
                          QStringLiteral("change the factory number, clear statistics, erase journals"),
                          kServiceHelp, runService});
  registry.add(CliCommand{{QStringLiteral("calibrate")},
                          QStringLiteral("calibrate --point N [--auto] [--reference R] [--k K] --password P"),
                          QStringLiteral("calibrate one measuring point"),
                          kCalibrateHelp.arg(userConfigDirShown()), runCalibrate});
}

}  // namespace vmk
