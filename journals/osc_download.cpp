#include "journals/osc_download.h"

#include <QFileInfo>
#include <QSaveFile>

#include "device/codecs.h"
#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "journals/comtrade_cfg.h"
#include "journals/comtrade_standard.h"
#include "journals/messages.h"
#include "model/job.h"
#include "model/progress.h"
#include "model/prompts.h"

namespace vmk::osc {

namespace {

namespace m = msg::journals;

// The page gauge's maximum while a download runs, and the alarm list's
// twelve rows after it.
constexpr int kGaugeMaximum = 254;
constexpr int kGaugeAfter = 12;

// The gauge at 254 while the download runs, shown at each block, hidden and
// back at 12 on every way out.
class GaugeShown {
 public:
  explicit GaugeShown(Progress* gauge) : m_gauge(gauge) {
    if (m_gauge) m_gauge->setMaximum(kGaugeMaximum);
  }
  ~GaugeShown() {
    if (!m_gauge) return;
    m_gauge->setVisible(false);
    m_gauge->setMaximum(kGaugeAfter);
  }
  void show() {
    if (m_gauge) m_gauge->setVisible(true);
  }
  GaugeShown(const GaugeShown&) = delete;
  GaugeShown& operator=(const GaugeShown&) = delete;

 private:
  Progress* m_gauge;
};

// Asks a request up to 1 + kRetries times while its reply is missing or
// wrong; a port failure is not asked again.
template <class Ask>
auto withRetries(Ask ask, int& retries) {
  auto r = ask();
  for (int i = 0; i < kRetries && !r.ok() && r.outcome != Outcome::PortFailure; ++i) {
    ++retries;
    r = ask();
  }
  return r;
}

// Both files under temporary names beside their targets; put in place
// only when both are written, removed otherwise.
class PairWriter {
 public:
  PairWriter(const QString& base, bool withCfg)
      : m_dat(base + QStringLiteral(".dat")), m_cfg(base + QStringLiteral(".cfg")), m_withCfg(withCfg) {
    m_dat.setDirectWriteFallback(false);
    m_cfg.setDirectWriteFallback(false);
  }

  // Writes both; false with `why` (the file and the reason) on failure,
  // nothing put in place then.
  bool write(const QByteArray& dat, const QByteArray& cfg, QString* why) {
    if (!fill(m_dat, dat, why)) return false;
    if (m_withCfg && !fill(m_cfg, cfg, why)) return false;
    // The data first: a configuration file found always has its data.
    if (!m_dat.commit()) return fail(m_dat, why);
    if (m_withCfg && !m_cfg.commit()) return fail(m_cfg, why);
    return true;
  }

 private:
  static bool fill(QSaveFile& f, const QByteArray& bytes, QString* why) {
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return fail(f, why);
    return true;
  }
  static bool fail(QSaveFile& f, QString* why) {
    *why = m::kCsvNotWritten.arg(f.fileName(), f.errorString());
    f.cancelWriting();
    return false;
  }

  QSaveFile m_dat;
  QSaveFile m_cfg;
  bool m_withCfg;
};

}  // namespace

bool writePair(const QString& base, const QByteArray& dat, const QByteArray* cfg, QString* why) {
  PairWriter files(base, cfg != nullptr);
  QString reason;
  const bool written = files.write(dat, cfg ? *cfg : QByteArray(), &reason);
  if (!written && why) *why = reason;
  return written;
}

QString baseName(const QString& chosen) {
  const QString suffix = QFileInfo(chosen).suffix();
  if (suffix.isEmpty()) return chosen;
  return chosen.left(chosen.size() - suffix.size() - 1);
}

Target targetOf(const AlarmRow& alarm, const QString& base, Form form) {
  Target t;
  t.entry = alarm.entry;
  t.phaseRatio = alarm.phaseRatio;
  t.earthRatio = alarm.earthRatio;
  t.alarmTime = alarm.when;
  t.base = base;
  t.form = form;
  return t;
}

DownloadResult downloadOscillogram(Session& session, JobControl& jobs, Progress* gauge,
                                   Prompts& prompts, const FunctionNames& names,
                                   const Target& target) {
  DownloadResult result;
  PortBracket port(session);
  GaugeShown shown(gauge);
  DeviceClient device(session, PortFailures::AsOutcome);

  // The names of the digital channels, when the viewer library is there.
  const ViewLoad library = names(kFunctionListKind, 0).outcome;
  std::array<QString, kDigitalChannels> channelNames;
  if (library != ViewLoad::Loaded) {
    prompts.error(viewLoadMessage(library), {Button::Abort});
  } else {
    const Result<RegisterWords> channels =
        withRetries([&] { return device.readRegisters(reg::kChannels); }, result.retries);
    if (!channels) {
      result.outcome = channels.outcome;
      return result;
    }
    for (int n = 1; n <= kDigitalChannels; ++n) {
      QStringList parts;
      for (int i : assignedFunctions(channelAssignment(channels.value, n)))
        parts << names(kFunctionListKind, i).name;
      channelNames[std::size_t(n - 1)] = parts.join(QLatin1Char('+'));
    }
  }

  SampleTable table(kSamples);
  // The gauge first: the window puts its cancel beside the gauge shown
  // when the job starts.
  shown.show();
  Job job(jobs, kGaugeMaximum, gauge);
  for (int b = 0; b < kBlocks; ++b) {
    if (!job.step(b)) {
      result.outcome = Outcome::Cancelled;
      return result;
    }
    const Result<RegisterWords> block = withRetries(
        [&] { return device.readOscillogramBlock(std::uint8_t(target.entry), std::uint16_t(b)); },
        result.retries);
    if (!block) {
      result.outcome = block.outcome;
      return result;
    }
    putBlock(table, b, block.value);
    ++result.blocksRead;
  }
  GlitchFilter(table);

  const TVMK& vmk = session.vmk;
  QByteArray cfg;
  QByteArray dat;
  if (target.form == Form::Standard) {
    StandardHeader h;
    h.deviceName = vmk.Name;
    h.serialNumber = vmk.SerialNumber;
    h.versionText = VersionText(vmk.VersionWord);
    h.phaseRatio = target.phaseRatio;
    h.earthRatio = target.earthRatio;
    h.setup = vmk.setup;
    h.alarmTime = target.alarmTime;
    h.channelNames = channelNames;
    cfg = standardCfgFile(h, table);
    dat = standardDataFile(table);
  } else {
    CfgHeader h;
    h.station = stationLine(vmk.Name, vmk.SerialNumber, VersionText(vmk.VersionWord));
    h.phaseRatio = target.phaseRatio;
    h.earthRatio = target.earthRatio;
    h.alarmTime = target.alarmTime;
    h.channelNames = channelNames;
    cfg = comtradeCfgFile(h);
    dat = dataFile(table);
  }
  const bool withCfg = library == ViewLoad::Loaded;
  QString why;
  if (!writePair(target.base, dat, withCfg ? &cfg : nullptr, &why)) {
    result.outcome = Outcome::InputRefused;
    result.error = why;
    return result;
  }
  result.cfgWritten = withCfg;
  result.samples = std::move(table);
  return result;
}

}  // namespace vmk::osc
