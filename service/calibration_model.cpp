#include "service/calibration_model.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

#include "device/connector.h"
#include "device/device_client.h"
#include "device/program_dir.h"
#include "device/session.h"
#include "extlib/ini_file.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "model/prompts.h"
#include "service/messages.h"

namespace vmk {

namespace svc {
QString portOpenedLine(const QString& port) { return QStringLiteral("Порт ") + port + QStringLiteral(" - открыт."); }
QString portClosedLine(const QString& port) { return QStringLiteral("Порт ") + port + QStringLiteral(" - закрыт."); }
}  // namespace svc

namespace {

// The letter "w": the device's acknowledgement in a calibration reply.
constexpr std::uint8_t kAck = 119;
// Frame bytes the window tests.
constexpr int kAckByte = 14;       // replies to the mode, read 1 and write requests
constexpr int kConfirmByte = 4;    // reply to read 2
constexpr int kValueLow = 16, kValueHigh = 17;
// Sub-functions and first bytes of the calibration requests.
constexpr std::uint8_t kSubMode = 1, kSubRead = 2, kSubWrite = 3, kSubConfirm = 4;
constexpr int kAttempts = 5;
constexpr int kAdjustTries = 5;
constexpr int kInTolerance = 10;
constexpr int kMaxWrites = 50;
constexpr int kVariant3 = 3;
constexpr int kVariant3Scale = 100;

bool silent(Outcome o) { return o == Outcome::NoAnswer || o == Outcome::BadReply; }

// Variant 3: the live register a point is read from and the coefficient
// slot it is written into.
int variant3Register(int point) { return point == 1 || point == 5 ? reg::kIa : reg::kIc; }
std::uint8_t variant3Slot(int point) {
  switch (point) {
    case 1: return 0;
    case 5: return 1;
    case 3: return 16;
    default: return 17;
  }
}

}  // namespace

long long roundedQuotient(long long n, long long d) {
  const bool negative = n < 0;
  const long long a = negative ? -n : n;
  long long q = a / d;
  const long long r2 = 2 * (a % d);
  if (r2 > d || (r2 == d && q % 2 == 1)) ++q;
  return negative ? -q : q;
}

CalibrationModel::CalibrationModel(Session& session, Prompts& prompts, Options options,
                                   QObject* parent)
    : QObject(parent), m_session(session), m_prompts(prompts), m_options(std::move(options)) {
  m_variant = session.vmk.DeviceVariant;
  m_options.locale.setNumberOptions(QLocale::OmitGroupSeparator);
  readCalibrIni();
  for (int p = 1; p <= kPoints; ++p) m_points[index(p)].visible = hasPoint(p);
  m_currentPoint = 0;
  m_adjustActive = false;
  UpdateButtons(0);
}

bool CalibrationModel::hasPoint(int point) const {
  if (point < 1 || point > kPoints) return false;
  return m_variant != kVariant3 || point % 2 == 1;
}

void CalibrationModel::readCalibrIni() {
  IniFile ini;
  ini.load(readableFilePath(m_options.programDir, QStringLiteral("calibr.ini")));
  const auto number = [&ini](const QString& section, int key, int fallback) {
    bool ok = false;
    const int v = ini.value(section, QString::number(key)).trimmed().toInt(&ok);
    return ok ? v : fallback;
  };
  for (int p = 1; p <= kPoints; ++p) {
    m_ref[index(p)] = number(QStringLiteral("VALUES"), p, kDefaultRefValue);
    m_precision[index(p)] = number(QStringLiteral("PRECISION"), p, kDefaultPrecision);
  }
}

void CalibrationModel::report(const QString& text) {
  if (m_mode == CalibrMode::Automatic)
    m.append(text);
  else
    m_prompts.box(MessageBox{m_options.messageCaption, BoxIcon::Information, text, {Button::Ok}});
}

void CalibrationModel::setValueText(int point, const QString& text) {
  m_points[index(point)].value = text;
  changed(point);
}

void CalibrationModel::setCoefficientText(int point, const QString& text) {
  CalibrPoint& pt = m_points[index(point)];
  bool ok = false;
  const long long c = text.toLongLong(&ok);
  pt.coefficient = text;
  pt.coefficientRed = ok && c > kCoefficientMax;
  pt.writeEnabled = ok && c >= kCoefficientMin && c <= kCoefficientMax;
  changed(point);
}

void CalibrationModel::pause(int ms) {
  if (m_options.wait) {
    m_options.wait(ms);
    return;
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (m_options.processEvents) m_options.processEvents();
    QThread::msleep(5);
  }
}

// ---- handlers ----------------------------------------------------------------

void CalibrationModel::Button1Click() {
  if (m_busy) return;
  PortSettings settings = m_session.Port1.settings();
  if (m_prompts.portSettings(settings)) m_session.Port1.setSettings(settings);
  savePortSettings(connectorIniPath(m_options.programDir, Connector::Front),
                   m_session.Port1.settings());
}

void CalibrationModel::btConnectClick() {
  if (m_busy) return;
  const QString name = m_session.Port1.settings().linkName();
  if (!m_session.Port1.open()) {
    m.append(svc::kCannotOpenPort);
    m_prompts.box(MessageBox{m_options.messageCaption, BoxIcon::Information, svc::kCannotOpenPort,
                             {Button::Ok}});
    UpdateButtons(0);
    return;
  }
  m.append(svc::portOpenedLine(name));
  if (m_variant == kVariant3) {
    m_adjustActive = true;
  } else {
    DeviceClient device(m_session);
    for (int tries = 0; tries < kAdjustTries && !m_adjustActive; ++tries) {
      const Result<ReplyFrame> r = device.calibration(kSubMode, 1, kAck, 0, 0, 0);
      if (silent(r.outcome)) {
        m.append(svc::kAdjustNoAnswer);
        m_prompts.box(MessageBox{m_options.messageCaption, BoxIcon::Information,
                                 svc::kAdjustNoAnswer, {Button::Ok}});
        break;
      }
      m_adjustActive = device.lastReply().frameByte(kAckByte) == kAck;
    }
  }
  if (m_adjustActive) m.append(svc::kAdjustActive);
  UpdateButtons(0);
}

void CalibrationModel::btDisconnectClick() {
  if (m_busy) return;
  m_session.Port1.close();
  m.append(svc::portClosedLine(m_session.Port1.settings().linkName()));
  m_adjustActive = false;
  UpdateButtons(0);
}

int CalibrationModel::btrClick(int tag) {
  if (m_busy || !hasPoint(tag)) return -1;
  m_currentPoint = tag;
  UpdateButtons(tag);
  return ReadPointValue(tag);
}

void CalibrationModel::seChange(int tag, int value) {
  if (tag < 1 || tag > kPoints) return;
  if (tag == 1) value = std::clamp(value, 0, kReferenceMax1);
  m_points[index(tag)].reference = value;
  changed(tag);
  CalcCoefficient(tag);
}

void CalibrationModel::seKChange(int value) {
  m_k = std::clamp(value, kKMin, kKMax);
  Q_EMIT stateChanged();
  // Before any point was chosen there is nothing to recompute.
  if (m_currentPoint != 0) CalcCoefficient(m_currentPoint);
}

void CalibrationModel::seTimeOutChange(int value) {
  m_timeOut = std::clamp(value, kTimeOutMin, kTimeOutMax);
  Q_EMIT stateChanged();
}

void CalibrationModel::btwClick(int tag) {
  if (m_busy) return;
  if (m_mode == CalibrMode::Manual) {
    if (hasPoint(m_currentPoint)) WriteCoefficient(m_currentPoint);
    return;
  }
  if (!hasPoint(tag)) return;
  m_currentPoint = tag;
  AutoAdjust(tag);
}

void CalibrationModel::rgModeClick(CalibrMode mode) {
  if (m_busy) return;
  m_mode = mode;
  for (int p = 1; p <= kPoints; ++p) {
    CalibrPoint& pt = m_points[index(p)];
    pt.pictureVisible = false;
    pt.reference = m_ref[index(p)];
  }
  Q_EMIT stateChanged();
  UpdateButtons(0);
}

void CalibrationModel::portFailed(const QString& error) {
  m_prompts.box(MessageBox{m_options.messageCaption, BoxIcon::Error, error, {Button::Ok}});
  m_session.Port1.close();
  m_adjustActive = false;
  UpdateButtons(0);
}

// ---- routines ------------------------------------------------------------------

void CalibrationModel::UpdateButtons(int selected) {
  for (int p = 1; p <= kPoints; ++p) {
    CalibrPoint& pt = m_points[index(p)];
    if (m_mode == CalibrMode::Manual) {
      pt.readEnabled = m_adjustActive;
      pt.writeEnabled = p == selected;
      pt.referenceEnabled = p == selected;
    } else {
      pt.readEnabled = false;
      pt.referenceEnabled = false;
      pt.writeEnabled = true;
    }
    pt.pictureVisible = false;
    changed(p);
  }
  Q_EMIT stateChanged();
}

int CalibrationModel::ReadPointValue(int point) {
  if (!hasPoint(point)) return -1;
  int value = -1;
  DeviceClient device(m_session);
  if (m_variant == kVariant3) {
    const Result<RegisterWords> r = device.readRegisters(reg::kCalibrationLive);
    if (r) {
      value = r.value.at(variant3Register(point));
      setValueText(point, QString::number(value));
    } else {
      // Without an answer there is no value to compute a coefficient from.
      report(svc::kRead1NoAnswer);
    }
  } else {
    for (int attempts = 0; attempts < kAttempts;) {
      const Result<ReplyFrame> r1 = device.calibration(kSubRead, 4, 8, std::uint8_t(point), 0, 0);
      if (silent(r1.outcome)) {
        report(svc::kRead1NoAnswer);
        break;
      }
      const ReplyFrame first = device.lastReply();
      if (first.frameByte(kAckByte) != kAck) {
        ++attempts;
        continue;
      }
      const std::uint8_t lo = first.frameByte(kValueLow), hi = first.frameByte(kValueHigh);
      const Result<ReplyFrame> r2 = device.calibration(kSubConfirm, 1, kAck, std::uint8_t(point), lo, hi);
      if (silent(r2.outcome)) {
        report(svc::kRead2NoAnswer);
        break;
      }
      if (device.lastReply().frameByte(kConfirmByte) != kAck) {
        ++attempts;
        continue;
      }
      value = hi * 256 + lo;
      setValueText(point, QString::number(value));
      break;
    }
  }
  CalcCoefficient(point);
  return value;
}

int CalibrationModel::CalcCoefficient(int point) {
  if (point < 1 || point > kPoints) return 0;
  const CalibrPoint& pt = m_points[index(point)];
  bool ok = false;
  const long long measured = pt.value.toLongLong(&ok);
  long long c = kNoCoefficient;
  if (ok && measured != 0) {
    const long long n = m_variant == kVariant3 ? kVariant3Scale * (long long)pt.reference
                                               : (long long)pt.reference * m_k;
    c = measured > 0 ? roundedQuotient(n, measured) : -roundedQuotient(n, -measured);
  }
  setCoefficientText(point, QString::number(c));
  return int(std::clamp<long long>(c, INT_MIN, INT_MAX));
}

bool CalibrationModel::WriteCoefficient(int point) {
  if (!hasPoint(point)) return false;
  bool ok = false;
  int c = m_points[index(point)].coefficient.toInt(&ok);
  if (!ok) c = 1;
  // One byte goes to the device: a coefficient it does not take is not sent.
  if (c < kCoefficientMin || c > kCoefficientMax) return false;
  DeviceClient device(m_session);
  if (m_variant == kVariant3) {
    device.calibrationSlot(variant3Slot(point), std::uint8_t(c));
    return true;
  }
  for (int attempts = 0; attempts < kAttempts; ++attempts) {
    const Result<ReplyFrame> r = device.calibration(kSubWrite, 3, 7, std::uint8_t(point), std::uint8_t(c), 0);
    if (silent(r.outcome)) {
      report(svc::kWriteNoAnswer);
      return false;
    }
    if (device.lastReply().frameByte(kAckByte) == kAck) {
      device.calibration(kSubMode, 0, kAck, 0, 0, 0);  // store; its reply says nothing
      pause(m_timeOut);
      return true;
    }
  }
  return false;
}

bool CalibrationModel::AutoAdjust(int point) {
  if (!hasPoint(point) || m_busy) return false;
  m_busy = true;
  Q_EMIT stateChanged();
  struct Idle {
    CalibrationModel* m;
    ~Idle() {
      m->m_busy = false;
      Q_EMIT m->stateChanged();
    }
  } idle{this};

  const QString p = QString::number(point);
  m.append(QString());
  m.append(QString());
  m.append(QStringLiteral("------ Автоматическая настройка (Точка №") + p + QStringLiteral(") ------"));
  int i = 0, j = 0;
  int& deviation = m_deviation[index(point)];
  deviation = 0;
  const double r = m_ref[index(point)];
  const double tolerance = r * m_precision[index(point)] / 100.0;
  const double low = r - tolerance, high = r + tolerance;
  do {
    if (m_options.processEvents) m_options.processEvents();
    const int value = ReadPointValue(point);
    bool ok = false;
    const long long c = m_points[index(point)].coefficient.toLongLong(&ok);
    if (ok && c > kCoefficientMax) setCoefficientText(point, QString::number(kCoefficientMax));
    else if (ok && c <= 0) setCoefficientText(point, QString::number(kCoefficientMin));
    m.append(QString());
    m.append(QStringLiteral("<- Тек. значение: %1  Коэффициент: %2 (%3; %4)")
                 .arg(value).arg(m_points[index(point)].coefficient).arg(i).arg(j));
    if (value < low || value > high) {
      WriteCoefficient(point);
      m.append(QStringLiteral("-> Записали в устройство... "));
      ++j;
    } else {
      ++i;
      deviation += std::abs(value - m_ref[index(point)]);
      m.append(QStringLiteral("-- Значение в доп. пределах. Отклонение: %1 i=%2").arg(deviation).arg(i));
    }
  } while (i < kInTolerance && j < kMaxWrites);

  CalibrPoint& pt = m_points[index(point)];
  const bool adjusted = i == kInTolerance;
  if (adjusted) {
    pt.picture = 0;
    m.append(QStringLiteral("Автоматическая настройка успешно завершена! (Точка №") + p + QLatin1Char(')'));
    const auto general = [this](double v) { return m_options.locale.toString(v, 'g', 15); };
    QString line = QStringLiteral("Среднее отклонение составляет: ") + general(deviation / 10.0);
    // A reference of 0 has no relative deviation.
    if (pt.reference != 0)
      line += QStringLiteral(" (") + general(deviation * 10.0 / pt.reference) + QStringLiteral("%)");
    m.append(line);
  } else {
    pt.picture = 1;
    m.append(QStringLiteral("Не удалось настроить в автоматическом режиме! (Точка №") + p + QLatin1Char(')'));
  }
  pt.pictureVisible = true;
  changed(point);
  return adjusted;
}

}  // namespace vmk
