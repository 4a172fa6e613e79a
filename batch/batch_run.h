#pragma once
// Batch extraction: every answering device of the bus into a folder of its
// own, DIR/<address>-<factory number>/: the connection report, the
// parameters with each group's settings, the three journals as CSV and
// JSON and every recorded oscillogram as a COMTRADE pair; then DIR's index
// of what was found, written, skipped and failed.
//
// Every file is written under a temporary name and put in place whole, so
// a file that is there is complete: a second run over the same folder
// skips it (an oscillogram by its entry and alarm time stamp) and does
// what is missing. A device that fails is recorded and the batch goes on
// with the next. A cancel stops after the current exchange; the index is
// written after every device and at the end, so it always matches the
// files.

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "device/connector.h"
#include "device/outcome.h"
#include "journals/osc_download.h"

namespace vmk {

class JobControl;
class Prompts;
class Session;

namespace batch {

enum class Part { Info, Params, Events, Stats, Alarms, Osc };

// "info", "params", "events", "stats", "alarms", "osc".
QString partName(Part part);
// A list such as "info,events"; nullopt when a word is not a part.
std::optional<QSet<Part>> parseParts(const QString& list);
// "1-3,5,7": addresses 1..32; nullopt for anything else.
std::optional<QList<int>> parseAddresses(const QString& list);

struct Options {
  QString dir;
  Connector connector = Connector::Rear;
  QList<int> addresses;  // empty: poll the connector's addresses
  QSet<Part> parts{Part::Info, Part::Params, Part::Events, Part::Stats, Part::Alarms, Part::Osc};
  osc::Form form = osc::Form::Device;
  QDate today;
};

// One file (or pair) of a device.
struct Item {
  enum class State { Written, Skipped, Failed, NotAvailable };
  QString part;   // "info", "params", ..., "osc"
  QString file;   // relative to the device folder; an oscillogram's .cfg
  State state = State::Written;
  QString why;    // Failed and NotAvailable: the reason
};
QString stateName(Item::State state);  // "written", "skipped", "failed", "not available"

struct DeviceRecord {
  int address = 0;
  int status = 0;
  QString name;          // device name
  int serial = -1;       // factory number; -1 before the identity was read
  int variant = 0;
  QString folder;        // relative to DIR, empty when never connected
  bool failed = false;
  QString why;           // of a failure
  QList<Item> items;
};

struct Result {
  Outcome outcome = Outcome::Done;  // Done, Cancelled, or a port failure
  QList<int> silent;                // addresses asked that did not answer
  QList<DeviceRecord> devices;
  QString indexError;               // the index could not be written
};

// Progress: the address being worked on (0: the bus) and what is done.
using ProgressLine = std::function<void(int address, const QString& what)>;

// Runs the batch. The port stays open for the whole run (each operation's
// bracket nests in it) and is closed on every way out. A port failure
// stops it with Outcome::PortFailure, the index written.
Result runBatch(Session& session, JobControl& jobs, Prompts& prompts,
                const osc::FunctionNames& names, const Options& options,
                const ProgressLine& progress);

// DIR/index.json and DIR/index.txt from a result; false with `error` set
// when either cannot be written. Not `finished` (written after a device
// while more may follow): "complete" is false and index.txt says
// "Не завершено".
bool writeIndex(const QString& dir, const Options& options, const Result& result, QString* error,
                bool finished = true);

}  // namespace batch
}  // namespace vmk
