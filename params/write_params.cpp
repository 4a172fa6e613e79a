#include "params/write_params.h"

#include <QStringList>
#include <optional>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/messages.h"

namespace vmk {

namespace {

struct PlannedRow {
  TextGrid* grid;
  RowWriteResult result;
};

// Converts every marked row of one grid.
void plan(TextGrid& grid, int tag, const QLocale& locale, QVector<PlannedRow>& planned) {
  const QVector<RowSpec>& rows = RowsOf(tag);
  for (int i = 0; i < grid.rowCount(); ++i) {
    if (grid.cell(grid::kMark, i) != QLatin1String("*")) continue;
    RowWriteResult r;
    r.row.grid = tag;
    r.row.row = i;
    r.row.text = grid.cell(grid::kValue, i);
    r.row.caption = grid.cell(grid::kCaption, i);
    if (i < rows.size() && r.row.caption.isEmpty()) r.row.caption = rows[i].caption;
    auto refuse = [&](const QString& why) {
      r.state = RowWrite::Refused;
      r.why = why;
      planned.append({&grid, r});
    };
    bool regOk = false;
    const uint first = grid.cell(grid::kRegister, i).toUInt(&regOk);
    if (i >= rows.size() || !rows[i].isData()) {
      refuse(kRowNotWritten);
      continue;
    }
    if (!regOk || first + (rows[i].isTwoRegister() ? 1 : 0) > 0xFFFF) {
      refuse(kNoRegister);
      continue;
    }
    const WriteWords w = WordsFromText(rows[i], r.row.text, locale);
    if (w.kept) {
      r.row.registers << int(first);
      r.state = RowWrite::Kept;
      r.why = kRowKept;
      planned.append({&grid, r});
      continue;
    }
    if (!w.ok()) {
      refuse(w.why);
      continue;
    }
    for (int k = 0; k < w.words.size(); ++k) r.row.registers << int(first) + k;
    r.row.words = w.words;
    planned.append({&grid, r});
  }
}

QVector<RangeViolation> outsideRanges(const QVector<PlannedRow>& planned, const QLocale& locale) {
  QVector<RangeViolation> out;
  for (const PlannedRow& p : planned) {
    const RowWriteResult& r = p.result;
    if (r.state != RowWrite::NotSent) continue;
    const RowSpec& spec = RowsOf(r.row.grid)[r.row.row];
    if (const auto range = outOfRange(spec, r.row.registers.value(0, -1), r.row.words, locale))
      out.append({r.row, *range});
  }
  return out;
}

// Whether the device holds the words a row would write: then the value is
// the device's own, whatever the ranges say. An address row shows the low
// byte of its register only.
bool deviceHolds(const ParamRow& row, const RegisterWords& held) {
  const bool lowByte = RowsOf(row.grid)[row.row].kind == RowKind::LowByte;
  for (int k = 0; k < row.words.size(); ++k) {
    const std::uint16_t now = held.at(row.registers[k]);
    if (lowByte ? (now & 0xFF) != (row.words[k] & 0xFF) : now != row.words[k]) return false;
  }
  return true;
}

// The rows outside their ranges whose values the device does not hold now
// (or whose registers it does not answer); each row's registers are read
// once. Throws TransportError when the port fails.
QVector<RangeViolation> notTheDevicesOwn(Session& session, const QVector<RangeViolation>& outside) {
  PortBracket port(session);
  DeviceClient device(session);
  QVector<RangeViolation> asked;
  for (const RangeViolation& v : outside) {
    const Result<RegisterWords> held = device.readRegisters(
        std::uint16_t(v.row.registers.first()), std::uint16_t(v.row.registers.size()));
    if (!held || !deviceHolds(v.row, held.value)) asked.append(v);
  }
  return asked;
}

// A kept row shows what it stands for: a toggle text with neither letter
// is emptied, as writing it would have been a guess; the mark goes.
void passOver(PlannedRow& p) {
  const RowWriteResult& r = p.result;
  if (RowsOf(r.row.grid)[r.row.row].kind == RowKind::Toggle)
    p.grid->setCell(grid::kValue, r.row.row, QString());
  p.grid->setCell(grid::kMark, r.row.row, QString());
}

ParamWriteResult resultOf(Outcome outcome, const QVector<PlannedRow>& planned) {
  ParamWriteResult result;
  result.outcome = outcome;
  for (const PlannedRow& p : planned) result.rows << p.result;
  return result;
}

}  // namespace

int ParamWriteResult::count(RowWrite state) const {
  int n = 0;
  for (const RowWriteResult& r : rows) n += r.state == state;
  return n;
}

ParamWriteResult writeParameters(Session& session, const Result<QString>& password,
                                 TextGrid& grid1, TextGrid& grdSett, SetupFields& setup,
                                 const QLocale& locale, const RangeQuestion& askOutOfRange) {
  if (!password) return resultOf(password.outcome, {});

  QVector<PlannedRow> planned;
  plan(grid1, 1, locale, planned);
  plan(grdSett, 2, locale, planned);
  for (const PlannedRow& p : planned)
    if (p.result.state == RowWrite::Refused) return resultOf(Outcome::InputRefused, planned);
  QVector<RangeViolation> outside = outsideRanges(planned, locale);
  // A relay's own values are never questioned: a copy of its settings
  // into itself must pass as it is.
  if (!outside.isEmpty()) {
    try {
      outside = notTheDevicesOwn(session, outside);
    } catch (const TransportError&) {
      return resultOf(Outcome::PortFailure, planned);
    }
  }
  if (!outside.isEmpty() && !(askOutOfRange && askOutOfRange(outside))) {
    ParamWriteResult declined = resultOf(Outcome::Cancelled, planned);
    declined.outOfRange = outside;
    return declined;
  }

  PortBracket bracket(session);
  const ChangeOperation operation(session.changeOperation, kWriteOperation);
  std::optional<DeviceClient> device(std::in_place, session);
  std::optional<int> movedTo;
  QVector<PlannedRow>::iterator current = planned.begin();
  auto done = [&](Outcome outcome) {
    ParamWriteResult result = resultOf(outcome, planned);
    result.outOfRange = outside;
    result.movedTo = movedTo;
    return result;
  };
  try {
    for (; current != planned.end(); ++current) {
      RowWriteResult& r = current->result;
      if (r.state == RowWrite::Kept) {
        passOver(*current);
        continue;
      }
      Outcome outcome = Outcome::Done;
      bool holds = true;
      for (int k = 0; k < r.row.words.size(); ++k) {
        const DeviceClient::VerifiedWrite v =
            device->writeWordVerified(std::uint16_t(r.row.registers[k]), r.row.words[k]);
        if (outcome == Outcome::Done) outcome = v.outcome;
        if (v.outcome == Outcome::Done && !v.holds()) holds = false;
        r.readBack << v.readBack;
        r.readValues << v.readValue.value_or(0);
      }
      const bool answered = outcome == Outcome::Done;
      r.state = !answered ? RowWrite::Unanswered : holds ? RowWrite::Written : RowWrite::NotHeld;
      r.outcome = outcome;
      if (r.state == RowWrite::Written) current->grid->setCell(grid::kMark, r.row.row, QString());
      // A device takes a new address once it has answered the write of it:
      // the rest of the write and the setup read follow it there.
      if (answered && r.row.registers.value(0) == reg::kAddress) {
        const std::uint8_t address = std::uint8_t(r.row.words[0] & 0xFF);
        if (address != session.DeviceAddress) {
          session.DeviceAddress = address;
          device.emplace(session);
          movedTo = address;
        }
      }
    }
    const Result<SetupFields> read = device->readSetup();
    if (!read) return done(read.outcome);
    setup = read.value;
    return done(Outcome::Done);
  } catch (const TransportError&) {
    if (current != planned.end()) {
      current->result.state = RowWrite::Unanswered;
      current->result.outcome = Outcome::PortFailure;
    }
    return done(Outcome::PortFailure);
  }
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
