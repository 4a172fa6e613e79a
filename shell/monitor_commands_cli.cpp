// vmkctl's commands of page 1: "live" and "command". Each connects first, as
// the window does before it can refresh or send, then runs the same
// operation and makes its texts with the same code as the page.

#include <QJsonArray>
#include <QJsonObject>

#include "device/session.h"
#include "model/clock.h"
#include "model/label_texts.h"
#include "model/message_log.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "model/time_formats.h"
#include "monitor/current_values.h"
#include "monitor/live_values.h"
#include "monitor/messages.h"
#include "monitor/remote_control.h"
#include "service/password_check.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"

namespace vmk {

namespace {

QJsonArray toJson(const QStringList& lines) {
  QJsonArray a;
  for (const QString& l : lines) a.append(l);
  return a;
}

UsageError unknown(const CliCall& call, const QString& verb) {
  return UsageError{QStringLiteral("unknown command: ") +
                    (QStringList{verb} + call.args).join(QLatin1Char(' '))};
}

// ---- live -------------------------------------------------------------------

// The labels printed, in this order.
const char* const kLiveLabels[] = {"lblCurrA",  "lblCurrB",  "lblCurrC",  "lblCurrN",
                                   "lblLastIM", "lblLastIZ", "lblKoefTT", "lblKoefN"};

// One current for --json: amperes of both kinds (primary null when the
// transformers cannot scale it) beside the label the page shows.
QJsonObject currentJson(const Current& secondary, const Current& primary, bool scaled,
                        const QString& text) {
  QJsonObject o;
  o.insert(QStringLiteral("unit"), QStringLiteral("A"));
  o.insert(QStringLiteral("secondary"), secondary.amperes());
  o.insert(QStringLiteral("primary"), scaled ? QJsonValue(primary.amperes()) : QJsonValue());
  o.insert(QStringLiteral("text"), text);
  return o;
}

QJsonObject liveJson(const LiveSnapshot& s, bool primary, const LabelTexts& labels,
                     const LiveView& view) {
  const LiveCurrents& sec = s.secondary;
  const LiveCurrents& pri = s.primary;
  const bool scaled = s.ratios.has_value();
  const auto text = [&](const char* label) { return labels.text(QString::fromLatin1(label)); };
  QJsonObject currents;
  currents.insert(QStringLiteral("Ia"), currentJson(sec.ia, pri.ia, scaled, text("lblCurrA")));
  currents.insert(QStringLiteral("Ib"), currentJson(sec.ib, pri.ib, scaled, text("lblCurrB")));
  currents.insert(QStringLiteral("Ic"), currentJson(sec.ic, pri.ic, scaled, text("lblCurrC")));
  currents.insert(QStringLiteral("Io"), currentJson(sec.io, pri.io, scaled, text("lblCurrN")));
  currents.insert(QStringLiteral("lastMtz"),
                  currentJson(sec.lastMtz, pri.lastMtz, scaled, text("lblLastIM")));
  currents.insert(QStringLiteral("lastZnz"),
                  currentJson(sec.lastZnz, pri.lastZnz, scaled, text("lblLastIZ")));

  QJsonObject o;
  o.insert(QStringLiteral("values"), primary ? QStringLiteral("primary") : QStringLiteral("secondary"));
  o.insert(QStringLiteral("currents"), currents);
  QJsonValue ratios;
  if (s.ratios) {
    QJsonObject r;
    r.insert(QStringLiteral("phase"), s.ratios->phase);
    r.insert(QStringLiteral("earth"), s.ratios->earth);
    ratios = r;
  }
  o.insert(QStringLiteral("ratios"), ratios);
  QJsonArray inputs;
  for (int i = 1; i <= LiveView::kInputCount; ++i) inputs.append(view.isInputLit(i));
  o.insert(QStringLiteral("inputs"), inputs);
  QJsonArray stages;
  for (int i = 0; i < LiveSnapshot::kStageCount; ++i) {
    QJsonObject stage;
    stage.insert(QStringLiteral("name"), stageName(i));
    stage.insert(QStringLiteral("operated"), s.stages[i]);
    stages.append(stage);
  }
  o.insert(QStringLiteral("stages"), stages);
  o.insert(QStringLiteral("reclosing"), s.reclosing);
  QJsonObject texts;
  for (const char* label : kLiveLabels) texts.insert(QString::fromLatin1(label), text(label));
  o.insert(QStringLiteral("labels"), texts);
  return o;
}

Outcome runLive(CliCall& call) {
  if (!call.args.isEmpty()) throw unknown(call, QStringLiteral("live"));
  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  const Result<LiveSnapshot> live = readLiveValues(call.session);
  if (!live) {
    call.prompts.error(msg::kLinkError);
    return live.outcome;
  }

  // The page's models for this one refresh.
  LabelTexts labels;
  LiveView view;
  MessageLog memo;
  const bool primary = !call.flag(QStringLiteral("--secondary"));
  view.setPrimaryValues(primary);
  showTransformerRatios(labels, call.session.vmk.setup);
  CurrentValues(labels, view, memo, call.prompts, call.clock, QLocale::system()).show(live.value);

  for (const char* label : kLiveLabels) call.text << labels.text(QString::fromLatin1(label));
  QString lamps;
  for (int input = 1; input <= LiveView::kInputCount; ++input)
    lamps += QStringLiteral("Вход %1: %2  ").arg(input).arg(view.isInputLit(input) ? 1 : 0);
  call.text << lamps.trimmed();
  call.text << memo.lines();

  QJsonObject data = liveJson(live.value, primary, labels, view);
  data.insert(QStringLiteral("memo"), toJson(memo.lines()));
  for (auto it = data.constBegin(); it != data.constEnd(); ++it) call.data.insert(it.key(), it.value());
  // Primary values that the transformers read at connection cannot scale
  // show zeros with "Ошибка чтения измерения", as on the page; the device
  // gave no usable measurement.
  return primary && !live.value.ratios ? Outcome::BadReply : Outcome::Done;
}

// ---- command ----------------------------------------------------------------

RemoteCommand parseCommand(const CliCall& call) {
  const QStringList& a = call.args;
  const QString what = a.value(0);
  std::optional<RemoteCommand> command;
  if (what == QLatin1String("relay") && a.size() == 2) {
    bool ok = false;
    command = relayCommand(a[1].toInt(&ok));
    if (!ok || !command) throw UsageError{QStringLiteral("relay is 1..5")};
  } else if (what == QLatin1String("ack") && a.size() == 1) {
    command = RemoteCommand::Acknowledge;
  } else if (what == QLatin1String("start-recorder") && a.size() == 1) {
    command = RemoteCommand::RecorderStart;
  } else if (what == QLatin1String("sync") && a.size() == 1) {
    command = RemoteCommand::ClockSet;
  } else {
    throw UsageError{QStringLiteral("command is relay N | ack | start-recorder | sync")};
  }
  return *command;
}

Outcome runCommand(CliCall& call) {
  const RemoteCommand command = parseCommand(call);
  if (!call.option(QStringLiteral("--password")))
    throw UsageError{QStringLiteral("command needs --password")};
  QDateTime at;
  if (const std::optional<QString> text = call.option(QStringLiteral("--at"))) {
    if (command != RemoteCommand::ClockSet) throw UsageError{QStringLiteral("--at belongs to sync")};
    at = parseShortDateLongTime(*text);
    if (!at.isValid()) throw UsageError{QStringLiteral("--at is \"dd.MM.yyyy HH:mm:ss\"")};
  }

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  const Result<QString> entry =
      CheckPassword(call.prompts, call.session.vmk.setup.DevicePassword, PasswordForm::Command);
  if (!entry) return entry.outcome;

  // The PC clock is read after the password step, as the window does.
  QDateTime moment;
  if (command == RemoteCommand::ClockSet) moment = at.isValid() ? at : call.clock.now();
  const Outcome outcome = sendRemoteCommand(call.session, command, moment);
  MessageLog memo;
  showCommandOutcome(command, moment, outcome, memo, call.prompts, call.clock);
  // The window stays silent about a command the device did not confirm; a
  // script is told.
  if (outcome != Outcome::Done && command != RemoteCommand::ClockSet)
    call.prompts.error(msg::kCommandNotConfirmed);
  call.text << memo.lines();
  call.data.insert(QStringLiteral("memo"), toJson(memo.lines()));
  return outcome;
}

}  // namespace

void declareMonitorCliCommands(CommandRegistry& registry) {
  registry.add(CliCommand{
      {QStringLiteral("live")},
      QStringLiteral("live [--secondary]"),
      QStringLiteral("read the current values once"),
      QStringLiteral("vmkctl [global options] live [--secondary]\n"
                     "\n"
                     "Connects and reads the live block once: prints the current labels (primary\n"
                     "values unless --secondary), the six input lamps (1 = on) and the memo lines.\n"
                     "With --json the currents are numbers in amperes, secondary and primary\n"
                     "(\"primary\": null when a transformer secondary is 0), beside their labels;\n"
                     "the inputs, the stage flags and the АПВ flag are booleans.\n"),
      runLive});
  registry.add(CliCommand{
      {QStringLiteral("command")},
      QStringLiteral("command relay N | ack | start-recorder | sync [--at \"dd.MM.yyyy HH:mm:ss\"] "
                     "--password P"),
      QStringLiteral("remote commands: relay N | ack | start-recorder | sync"),
      QStringLiteral(
          "vmkctl [global options] command relay N --password P     operate relay 1..5\n"
          "vmkctl [global options] command ack --password P         acknowledge alarms\n"
          "vmkctl [global options] command start-recorder --password P\n"
          "vmkctl [global options] command sync [--at \"dd.MM.yyyy HH:mm:ss\"] --password P\n"
          "\n"
          "Connects (the password is compared with the one read from the device), sends\n"
          "the command and prints the memo line the window would log. sync sets the\n"
          "device clock to the PC clock, or to --at. Exit code 1 when the device does\n"
          "not confirm the command, 3 for a wrong password.\n"),
      runCommand});
}

}  // namespace vmk
