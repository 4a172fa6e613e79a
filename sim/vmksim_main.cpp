// vmksim: a simulated bus of ВМК-01 devices on a pseudo-terminal, a serial
// device or TCP. See `vmksim --help`.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <optional>

#include "extlib/wire_table.h"
#include "sim/bus.h"
#include "sim/fault_injector.h"
#include "sim/line_server.h"
#include "sim/tcp_server.h"
#include "sim/vmksim_system.h"

namespace sim = vmk::sim;

namespace {

using vmk::sim::platform::fail;

struct Slot {
  int address;
  int variant;
};

// "1-3,5,7:3": addresses, ranges, an optional ":variant" per item.
std::optional<QList<Slot>> parseAddresses(const QString& text, int variant) {
  QList<Slot> out;
  for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
    QString range = item.trimmed();
    int v = variant;
    if (range.contains(':')) {
      bool ok = false;
      v = range.section(':', 1).toInt(&ok);
      if (!ok || v < 1 || v > 3) return std::nullopt;
      range = range.section(':', 0, 0);
    }
    bool ok1 = false, ok2 = true;
    const int from = range.section('-', 0, 0).toInt(&ok1);
    const int to = range.contains('-') ? range.section('-', 1).toInt(&ok2) : from;
    if (!ok1 || !ok2 || from < vmk::wire::kFirstAddress || to > vmk::wire::kLastAddress || from > to)
      return std::nullopt;
    for (int a = from; a <= to; ++a) out.append({a, v});
  }
  if (out.isEmpty()) return std::nullopt;
  return out;
}

// "P=V,P=V": measuring points 1..8 with a number each.
std::optional<QList<std::pair<int, double>>> parsePointValues(const QString& text) {
  QList<std::pair<int, double>> out;
  for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QStringList pv = item.split(QLatin1Char('='));
    bool ok1 = false, ok2 = false;
    if (pv.size() != 2) return std::nullopt;
    const int point = pv[0].trimmed().toInt(&ok1);
    const double value = pv[1].trimmed().toDouble(&ok2);
    if (!ok1 || !ok2 || point < 1 || point > vmk::sim::Calibration::kPoints || value < 0) return std::nullopt;
    out.append({point, value});
  }
  if (out.isEmpty()) return std::nullopt;
  return out;
}

double probability(const QCommandLineParser& p, const QString& name) {
  if (!p.isSet(name)) return 0;
  bool ok = false;
  const double v = p.value(name).toDouble(&ok);
  if (!ok || v < 0 || v > 1) fail(QStringLiteral("--%1 takes a probability 0..1").arg(name));
  return v;
}

// "3" or "2,5": the addresses an option names, each 1..32.
QList<int> addressList(const QCommandLineParser& p, const QString& name) {
  QList<int> out;
  if (!p.isSet(name)) return out;
  for (const QString& a : p.value(name).split(QLatin1Char(','))) {
    bool ok = false;
    const int n = a.trimmed().toInt(&ok);
    if (!ok || n < vmk::wire::kFirstAddress || n > vmk::wire::kLastAddress)
      fail(QStringLiteral("--%1: a list of addresses 1..32, e.g. 3 or 2,5").arg(name));
    out << n;
  }
  return out;
}

int integer(const QCommandLineParser& p, const QString& name, int fallback, int min, int max) {
  if (!p.isSet(name)) return fallback;
  bool ok = false;
  const int v = p.value(name).toInt(&ok);
  if (!ok || v < min || v > max) fail(QStringLiteral("--%1 takes a number %2..%3").arg(name).arg(min).arg(max));
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vmksim"));
  QCommandLineParser p;
  p.setApplicationDescription(QStringLiteral(
      "A simulated RS485 bus of ВМК-01 devices speaking the wire protocol of\n"
      "docs/wire-protocol.md (Modbus RTU with the device's own functions).\n"
      "It serves on a pseudo-terminal reached through the symlink given with\n"
      "--link, on a serial device given with --port, or over TCP with --tcp\n"
      "as a serial device server (RTU frames, CRC included, as on the line) or,\n"
      "with --mbap, as a Modbus TCP gateway (MBAP header, no CRC; the unit id\n"
      "is the device address), one client at a time, one after another. Once\n"
      "the line can be opened it prints exactly one line \"ready PATH\" (over\n"
      "TCP \"ready HOST:PORT\", the port bound) on stdout; it serves until\n"
      "SIGINT or SIGTERM and then removes the symlink.\n"
      "Requests are found in the byte stream by the length their function\n"
      "code gives; a function of unknown length ends at 3.5 character times\n"
      "(at least 10 ms) of silence. Bad CRC, absent address: no reply.\n"
      "Every device starts as a commissioned feeder relay: name ВМК-0N.01 (N =\n"
      "variant), password AAAA, CT 600/5 and earth CT 50/1, a clock running\n"
      "from the PC clock, an event journal, five oscillograms."));
  p.addHelpOption();
  p.addOptions({
      {"link", "Create a pseudo-terminal and a symlink to it at <path> (an old symlink there is replaced).", "path"},
      {"port", "Serve on this serial device instead of a pseudo-terminal.", "device"},
      {"tcp", "Serve over TCP on HOST:PORT instead, e.g. 127.0.0.1:5020; a port alone listens on 127.0.0.1 (port 0: one the system chooses; the ready line names it). 0.0.0.0:PORT is reached from other machines too.", "host:port"},
      {"mbap", "With --tcp: be a Modbus TCP gateway (MBAP frames) rather than a serial device server (RTU frames)."},
      {"net-delay-ms", "With --tcp: each way across the network takes this long besides the line (with --pace the line is the RS485 behind the server).", "n"},
      {"addresses", "Device addresses, e.g. 1-3,5 or 1,2,3:3 (\":N\" gives that device variant N). Default 1.", "list", "1"},
      {"variant", "Variant of every device without its own, 1..3 (3: no journals, phases A and C). Default 1.", "n", "1"},
      {"baud", "Line rate in bit/s for --pace and --port. Default 9600.", "n", "9600"},
      {"pace", "Act on a request only after its bytes would have taken their time on the wire at --baud, then send the reply byte by byte at that rate."},
      {"turnaround-ms", "Time from the end of a request to the first reply byte. Default 5 with --pace, else 0.", "n"},
      {"seed", "Seed of the devices and of the fault injection. Default 1.", "n", "1"},
      {"drop", "Probability that a reply is not sent.", "p"},
      {"corrupt", "Probability that one byte of a reply is changed (its CRC then fails).", "p"},
      {"truncate", "Probability that a reply stops short.", "p"},
      {"delay-ms", "Extra delay before every reply.", "n"},
      {"silent-after", "Answer only the first N requests, then stay silent.", "n"},
      {"reset-at", "With --tcp: reset the connection instead of answering request N (counted from 1 since the start).", "n"},
      {"wrong-tid-at", "With --mbap: answer request N under a wrong transaction id.", "n"},
      {"faulty", "The faults above hit only the devices at these addresses, e.g. 3 or 2,5. Default: all.", "list"},
      {"clock-unset", "The devices at these addresses (e.g. 4 or 2,5) have lost their clock: it reads all zero until a clock set (vmkctl command sync) sets it.", "list"},
      {"inject", "Test currents the calibration rig injects, per measuring point 1..8 (device units), e.g. 1=500,5=2000. Default 500 each.", "list"},
      {"gain", "Gain of a point's channel, e.g. 2=0.5 (a channel out of reach of any coefficient). Default within 3.5 % of 1.", "list"},
      {"verbose", "Print every frame in hex on stderr."},
  });
  p.process(app);

  if (int(p.isSet("link")) + int(p.isSet("port")) + int(p.isSet("tcp")) != 1)
    fail(QStringLiteral("give one of --link PATH, --port DEVICE or --tcp HOST:PORT (see --help)"));
  if (!p.isSet("tcp"))
    for (const char* option : {"mbap", "net-delay-ms", "reset-at", "wrong-tid-at"})
      if (p.isSet(option)) fail(QStringLiteral("--%1 goes with --tcp").arg(QLatin1String(option)));
  if (p.isSet("wrong-tid-at") && !p.isSet("mbap")) fail(QStringLiteral("--wrong-tid-at goes with --mbap"));
  const int variant = integer(p, "variant", 1, 1, 3);
  const auto devices = parseAddresses(p.value("addresses"), variant);
  if (!devices) fail(QStringLiteral("--addresses: a list of addresses 1..32 such as 1-3,5 or 1,2:3"));

  sim::LineServer::Options options;
  options.baud = integer(p, "baud", 9600, 50, 4'000'000);
  options.pace = p.isSet("pace");
  options.turnaroundMs = integer(p, "turnaround-ms", options.pace ? 5 : 0, 0, 10'000);
  options.verbose = p.isSet("verbose");
  options.faultyAddresses = addressList(p, "faulty");
  options.netDelayMs = integer(p, "net-delay-ms", 0, 0, 60'000);

  bool seedOk = false;
  const std::uint64_t seed = p.value("seed").toULongLong(&seedOk);
  if (!seedOk) fail(QStringLiteral("--seed takes a number"));
  sim::FaultPlan plan;
  plan.seed = seed;
  plan.drop = probability(p, "drop");
  plan.corrupt = probability(p, "corrupt");
  plan.truncate = probability(p, "truncate");
  plan.delayMs = integer(p, "delay-ms", 0, 0, 60'000);
  plan.silentAfter = integer(p, "silent-after", -1, 0, 1'000'000'000);
  plan.resetAt = integer(p, "reset-at", 0, 1, 1'000'000'000);
  plan.wrongTransactionAt = integer(p, "wrong-tid-at", 0, 1, 1'000'000'000);

  sim::Bus bus;
  QList<std::pair<int, double>> injections, gains;
  if (p.isSet("inject")) {
    const auto v = parsePointValues(p.value("inject"));
    if (!v) fail(QStringLiteral("--inject: a list of POINT=VALUE with points 1..8, e.g. 1=500,5=2000"));
    injections = *v;
  }
  if (p.isSet("gain")) {
    const auto v = parsePointValues(p.value("gain"));
    if (!v) fail(QStringLiteral("--gain: a list of POINT=GAIN with points 1..8, e.g. 2=0.5"));
    gains = *v;
  }
  for (const Slot& s : *devices) {
    sim::Calibration& c = bus.addDevice(s.address, s.variant, seed).calibration();
    for (const auto& [point, value] : injections) c.setInjection(point, int(value));
    for (const auto& [point, value] : gains) c.setGain(point, value);
  }
  for (int address : addressList(p, "clock-unset")) {
    sim::Device* device = bus.device(address);
    if (!device) fail(QStringLiteral("--clock-unset: no device at address %1 (see --addresses)").arg(address));
    device->unsetClock();
  }
  sim::FaultInjector faults(plan);

  sim::platform::catchStopRequests();

  if (p.isSet("tcp")) {
    sim::TcpServer::Options net;
    // A port alone listens on the loopback address only.
    const QString where = p.value("tcp").contains(QLatin1Char(':')) ? p.value("tcp")
                                                                    : QStringLiteral("127.0.0.1:") + p.value("tcp");
    if (!sim::parseHostPort(where, net.host, net.port))
      fail(QStringLiteral("--tcp takes HOST:PORT, e.g. 127.0.0.1:5020"));
    net.gateway = p.isSet("mbap");
    sim::LineServer server(bus, faults, options);
    sim::TcpServer tcp(server, net);
    if (!tcp.listen()) fail(tcp.errorString());
    std::printf("ready %s\n", qPrintable(tcp.address()));
    std::fflush(stdout);
    return tcp.serve(sim::platform::stopFlag(), sim::platform::wakeFd());
  }

  return sim::platform::serveLocalLine(bus, faults, options, p.value("link"), p.value("port"));
}

namespace vmk::sim::platform {

void fail(const QString& text) {
  std::fprintf(stderr, "vmksim: %s\n", qPrintable(text));
  std::exit(2);
}

}  // namespace vmk::sim::platform
