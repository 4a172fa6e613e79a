#pragma once
// The download of one alarm entry's oscillogram into a COMTRADE pair: the
// channel assignments (for the names of the digital channels), then the
// 250 blocks of 24 samples, the glitch filter, and both files written.
//
// Every block reply is checked by the device client (length, address,
// function, CRC, word 0 = the block) and asked again up to three times;
// the channel assignments too. A download that does not finish (a block
// that never answers, a cancel, a file that cannot be written) leaves no
// file behind and an older pair of the same name as it was: both files
// are written under temporary names in the target folder and put in
// place only at the end.

#include <QDateTime>
#include <QString>
#include <functional>

#include "device/outcome.h"
#include "extlib/view_loader.h"
#include "journals/alarm_list.h"
#include "journals/osc_samples.h"

namespace vmk {

class JobControl;
class Progress;
class Prompts;
class Session;

namespace osc {

// How many times a block (or the channel assignments) is asked again after
// a reply that is missing or wrong.
constexpr int kRetries = 3;

// The two forms of the pair: the device maker's (1991 with its habits) and
// a strict COMTRADE 1999 one.
enum class Form { Device, Standard };

struct Target {
  int entry = 0;           // the alarm entry, 0..12
  int phaseRatio = 1;      // as the alarm entry carries them
  int earthRatio = 1;
  QDateTime alarmTime;
  QString base;            // the pair is base + ".cfg" and base + ".dat"
  Form form = Form::Device;
};

// `GetFuncAr`: a name of the viewer library's list `kind`.
using FunctionNames = std::function<ViewName(int kind, int index)>;

struct DownloadResult {
  Outcome outcome = Outcome::Done;
  // The box of a failure that is not the link error (a file that cannot
  // be written); empty otherwise.
  QString error;
  bool cfgWritten = false;  // false when the viewer library was missing
  int blocksRead = 0;
  int retries = 0;          // requests asked again, blocks and assignments
  SampleTable samples;      // filtered; whole when Done
};

// Writes base + ".dat" and, when given, base + ".cfg" under temporary
// names in their folder and puts them in place only when both are written
// (the data file first). False with `why` ("Не удалось записать файл ...")
// otherwise, nothing put in place and no temporary file left.
bool writePair(const QString& base, const QByteArray& dat, const QByteArray* cfg, QString* why);

// The base name of a chosen file: its extension (".cfg" with the dialog's
// filter) and the dot before it dropped, else the name itself. An
// extension of another length is dropped whole, never part of the name.
QString baseName(const QString& chosen);

// The download of a recorded alarm entry (its number, time and ratios)
// into the pair `base`.
Target targetOf(const AlarmRow& alarm, const QString& base, Form form);

// Downloads entry `target.entry` inside the port bracket. `gauge` (the
// page gauge GugAlarm) is shown with the block number at each block and
// hidden at the end, its maximum 254 while the download runs and 12
// after it. When the viewer library or its `GetFuncAr` is missing, its box
// (single button Abort) is shown, no configuration file is written and
// the data file still is. A cancel is taken between blocks.
DownloadResult downloadOscillogram(Session& session, JobControl& jobs, Progress* gauge,
                                   Prompts& prompts, const FunctionNames& names,
                                   const Target& target);

}  // namespace osc
}  // namespace vmk
