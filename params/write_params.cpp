#include "params/write_params.h"

#include <QStringList>
#include <optional>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "params/catalogue.h"
#include "params/messages.h"
#include "params/param_set.h"

namespace vmk {

namespace {

// Plans every marked row of one grid of the set.
void plan(const ParamSet& set, int tag, QVector<RowWriteResult>& planned) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    if (!set.marked(tag, i)) continue;
    RowWriteResult r;
    r.row = ParamRow{tag, i, rows[i].caption, set.text(tag, i), {}, {}};
    if (!rows[i].isData()) {
      r.state = RowWrite::Refused;
      r.why = kRowNotWritten;
      planned.append(r);
      continue;
    }
    const int first = set.registerOf(tag, i);
    const WriteWords w = set.words(tag, i);
    if (w.kept) {
      r.row.registers << first;
      r.state = RowWrite::Kept;
      r.why = kRowKept;
    } else if (!w.ok()) {
      r.state = RowWrite::Refused;
      r.why = w.why;
    } else {
      for (int k = 0; k < w.words.size(); ++k) r.row.registers << first + k;
      r.row.words = w.words;
    }
    planned.append(r);
  }
}

QVector<RangeViolation> outsideRanges(const QVector<RowWriteResult>& planned,
                                      const QLocale& locale) {
  QVector<RangeViolation> out;
  for (const RowWriteResult& r : planned) {
    if (r.state != RowWrite::NotSent) continue;
    const RowSpec& spec = rowsOf(r.row.grid)[r.row.row];
    if (const auto range = outOfRange(spec, r.row.registers.value(0, -1), r.row.words, locale))
      out.append({r.row, *range});
  }
  return out;
}

// Whether the device holds the words a row would write: then the value is
// the device's own, whatever the ranges say. An address row shows the low
// byte of its register only.
bool deviceHolds(const ParamRow& row, const RegisterWords& held) {
  const bool lowByte = rowsOf(row.grid)[row.row].kind == RowKind::LowByte;
  for (int k = 0; k < row.words.size(); ++k) {
    const std::uint16_t now = held.at(row.registers[k]);
    if (lowByte ? (now & 0xFF) != (row.words[k] & 0xFF) : now != row.words[k]) return false;
  }
  return true;
}

// The rows outside their ranges whose values the device does not hold now
// (or whose registers it does not answer); each row's registers are read
// once. PortFailure when the port fails.
Result<QVector<RangeViolation>> notTheDevicesOwn(Session& session,
                                                 const QVector<RangeViolation>& outside) {
  PortBracket port(session);
  DeviceClient device(session, PortFailures::AsOutcome);
  QVector<RangeViolation> asked;
  for (const RangeViolation& v : outside) {
    const Result<RegisterWords> held = device.readRegisters(
        std::uint16_t(v.row.registers.first()), std::uint16_t(v.row.registers.size()));
    if (held.outcome == Outcome::PortFailure)
      return Result<QVector<RangeViolation>>::failed(Outcome::PortFailure);
    if (!held || !deviceHolds(v.row, held.value)) asked.append(v);
  }
  return Result<QVector<RangeViolation>>::done(asked);
}

// A kept row shows what it stands for: a toggle text with neither letter
// goes, as writing it would have been a guess; the mark goes.
void passOver(ParamSet& set, const RowWriteResult& r) {
  if (rowsOf(r.row.grid)[r.row.row].kind == RowKind::Toggle)
    set.setValue(r.row.grid, r.row.row, RowValue());
  set.setMarked(r.row.grid, r.row.row, false);
}

ParamWriteResult resultOf(Outcome outcome, const QVector<RowWriteResult>& planned) {
  ParamWriteResult result;
  result.outcome = outcome;
  result.rows = planned;
  return result;
}

}  // namespace

int ParamWriteResult::count(RowWrite state) const {
  int n = 0;
  for (const RowWriteResult& r : rows) n += r.state == state;
  return n;
}

ParamWriteResult writeParameters(Session& session, const Result<QString>& password,
                                 ParamSet& set, SetupFields& setup, const QLocale& locale,
                                 const RangeQuestion& askOutOfRange) {
  if (!password) return resultOf(password.outcome, {});

  QVector<RowWriteResult> planned;
  plan(set, 1, planned);
  plan(set, 2, planned);
  for (const RowWriteResult& r : planned)
    if (r.state == RowWrite::Refused) return resultOf(Outcome::InputRefused, planned);
  QVector<RangeViolation> outside = outsideRanges(planned, locale);
  // A relay's own values are never questioned: a copy of its settings
  // into itself must pass as it is.
  if (!outside.isEmpty()) {
    const Result<QVector<RangeViolation>> asked = notTheDevicesOwn(session, outside);
    if (!asked) return resultOf(asked.outcome, planned);
    outside = asked.value;
  }
  if (!outside.isEmpty() && !(askOutOfRange && askOutOfRange(outside))) {
    ParamWriteResult declined = resultOf(Outcome::Cancelled, planned);
    declined.outOfRange = outside;
    return declined;
  }

  PortBracket bracket(session);
  const ChangeOperation operation(session.changeOperation, kWriteOperation);
  std::optional<DeviceClient> device(std::in_place, session, PortFailures::AsOutcome);
  std::optional<int> movedTo;
  auto done = [&](Outcome outcome) {
    ParamWriteResult result = resultOf(outcome, planned);
    result.outOfRange = outside;
    result.movedTo = movedTo;
    return result;
  };
  for (RowWriteResult& r : planned) {
    if (r.state == RowWrite::Kept) {
      passOver(set, r);
      continue;
    }
    Outcome outcome = Outcome::Done;
    bool holds = true;
    for (int k = 0; k < r.row.words.size(); ++k) {
      const DeviceClient::VerifiedWrite v =
          device->writeWordVerified(std::uint16_t(r.row.registers[k]), r.row.words[k]);
      // A port that fails ends the write at this row; the rows after it
      // stay unsent.
      if (v.outcome == Outcome::PortFailure) {
        r.state = RowWrite::Unanswered;
        r.outcome = Outcome::PortFailure;
        return done(Outcome::PortFailure);
      }
      if (outcome == Outcome::Done) outcome = v.outcome;
      if (v.outcome == Outcome::Done && !v.holds()) holds = false;
      r.readBack << v.readBack;
      r.readValues << v.readValue.value_or(0);
    }
    const bool answered = outcome == Outcome::Done;
    r.state = !answered ? RowWrite::Unanswered : holds ? RowWrite::Written : RowWrite::NotHeld;
    r.outcome = outcome;
    if (r.state == RowWrite::Written) set.setMarked(r.row.grid, r.row.row, false);
    // A device takes a new address once it has answered the write of it:
    // the rest of the write and the setup read follow it there.
    if (answered && r.row.registers.value(0) == reg::kAddress) {
      const std::uint8_t address = std::uint8_t(r.row.words[0] & 0xFF);
      if (address != session.DeviceAddress) {
        session.DeviceAddress = address;
        device.emplace(session, PortFailures::AsOutcome);
        movedTo = address;
      }
    }
  }
  const Result<SetupFields> read = device->readSetup();
  if (!read) return done(read.outcome);
  setup = read.value;
  return done(Outcome::Done);
}

QString notHeldMessage(const ParamWriteResult& result) {
  QStringList rows;
  for (const RowWriteResult& r : result.rows) {
    if (r.state != RowWrite::NotHeld) continue;
    for (int k = 0; k < r.readBack.size() && k < r.row.registers.size(); ++k) {
      if (r.readBack[k] == ReadBack::Holds) continue;
      const QString read = r.readBack[k] == ReadBack::Differs ? QString::number(r.readValues[k])
                                                              : kNotReadBack;
      rows << kNotHeldRow.arg(r.row.caption, r.row.text)
                  .arg(r.row.registers[k])
                  .arg(r.row.words.value(k))
                  .arg(read);
    }
  }
  return rows.isEmpty() ? QString() : kNotHeld + rows.join(QStringLiteral("; "));
}

QString refusalMessage(const ParamWriteResult& result) {
  QStringList problems;
  for (const RowWriteResult& r : result.rows)
    if (r.state == RowWrite::Refused)
      problems << QStringLiteral("«%1» = «%2»: %3").arg(r.row.caption, r.row.text, r.why);
  return kWriteRefused + problems.join(u'\n');
}

}  // namespace vmk

namespace vmk {

QString keptReport(const ParamWriteResult& result) {
  QStringList kept;
  for (const RowWriteResult& r : result.rows)
    if (r.state == RowWrite::Kept) kept << QStringLiteral("«%1»: %2").arg(r.row.caption, kRowKept);
  return kept.isEmpty() ? QString() : kWriteDone + kept.join(u'\n');
}

}  // namespace vmk
