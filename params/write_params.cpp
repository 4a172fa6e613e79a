#include "params/write_params.h"

#include <QStringList>
#include <algorithm>
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

// The registers a write reads before and checks after, block by block: per
// block of the register map, from the first to the last register of the
// rows whose first register lies in it. Each span is read once before the
// write and once after its rows are written.
struct Span {
  int first = 0;
  int last = -1;
  QVector<int> rows;  // indexes into the plan, in the plan's order
  int count() const { return last - first + 1; }
};

QVector<Span> spansOf(const QVector<RowWriteResult>& planned, int group) {
  QVector<reg::Block> blocks(std::begin(reg::kParamBlocks), std::end(reg::kParamBlocks));
  blocks << reg::groupBlock(group);
  QVector<Span> spans(blocks.size());
  for (int i = 0; i < planned.size(); ++i) {
    const RowWriteResult& r = planned[i];
    if (r.state != RowWrite::NotSent || r.row.registers.isEmpty()) continue;
    const int first = r.row.registers.first();
    auto block = std::find_if(blocks.begin(), blocks.end(),
                              [first](const reg::Block& b) { return b.contains(first); });
    Span* span = nullptr;
    if (block == blocks.end()) {
      spans.append(Span{first, first - 1, {}});  // a row of no block reads alone
      span = &spans.last();
    } else {
      span = &spans[int(block - blocks.begin())];
    }
    const auto [low, high] = std::minmax_element(r.row.registers.begin(), r.row.registers.end());
    span->first = span->rows.isEmpty() ? *low : std::min(span->first, *low);
    span->last = span->rows.isEmpty() ? *high : std::max(span->last, *high);
    span->rows << i;
  }
  spans.erase(std::remove_if(spans.begin(), spans.end(), [](const Span& s) { return s.rows.isEmpty(); }),
              spans.end());
  return spans;
}

// What the device holds in every span now. A span the device does not
// answer stays out of the image; PortFailure when the port fails.
Result<DeviceImage> readBefore(Session& session, const QVector<Span>& spans) {
  PortBracket port(session);
  DeviceClient device(session, PortFailures::AsOutcome);
  DeviceImage image;
  for (const Span& s : spans) {
    const Result<RegisterWords> held =
        device.readRegisters(std::uint16_t(s.first), std::uint16_t(s.count()));
    if (held.outcome == Outcome::PortFailure) return Result<DeviceImage>::failed(Outcome::PortFailure);
    if (!held) continue;
    for (int reg = s.first; reg <= s.last; ++reg) image.put(reg, held.value.at(reg));
  }
  return Result<DeviceImage>::done(image);
}

QVector<ParamRow> rowsToWrite(const QVector<RowWriteResult>& planned) {
  QVector<ParamRow> rows;
  for (const RowWriteResult& r : planned)
    if (r.state == RowWrite::NotSent) rows << r.row;
  return rows;
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

namespace {

// Writes the rows of one span, then reads the span back once and tells
// each row what it came to. A row loses its mark only when the device
// answered every write of it and every register holds what was sent.
class SpanWriter {
 public:
  SpanWriter(Session& session, ParamSet& set, QVector<RowWriteResult>& planned)
      : m_session(session), m_set(set), m_planned(planned) {
    m_device.emplace(session, PortFailures::AsOutcome);
  }

  // PortFailure ends the write: the rows of the span answered so far are
  // left unconfirmed (NotHeld, read-back not read) and keep their marks.
  Outcome write(const Span& span) {
    QVector<DeviceClient::WrittenWord> written;
    // Per row of the span, per word: its place in `written`, -1 when the
    // device did not answer its write.
    QVector<QVector<int>> checkOf;
    QVector<int> answered;  // plan indexes of rows whose every write was answered
    for (int index : span.rows) {
      RowWriteResult& r = m_planned[index];
      Outcome outcome = Outcome::Done;
      QVector<int> places;
      for (int k = 0; k < r.row.words.size(); ++k) {
        const std::uint16_t reg = std::uint16_t(r.row.registers[k]);
        const Outcome o = m_device->writeWord(reg, r.row.words[k]);
        if (o == Outcome::PortFailure) {
          r.state = RowWrite::Unanswered;
          r.outcome = Outcome::PortFailure;
          leaveUnconfirmed(answered);
          return Outcome::PortFailure;
        }
        if (outcome == Outcome::Done) outcome = o;
        places << (o == Outcome::Done ? int(written.size()) : -1);
        if (o == Outcome::Done) written.append({reg, r.row.words[k]});
      }
      checkOf << places;
      r.outcome = outcome;
      if (outcome == Outcome::Done) answered << index;
      else r.state = RowWrite::Unanswered;
      followAddress(r);
    }
    if (written.isEmpty()) return Outcome::Done;
    const DeviceClient::BlockCheck check =
        m_device->readBackWrites(std::uint16_t(span.first), std::uint16_t(span.count()), written);
    if (check.outcome == Outcome::PortFailure) {
      leaveUnconfirmed(answered);
      return Outcome::PortFailure;
    }
    for (int i = 0; i < span.rows.size(); ++i) {
      RowWriteResult& r = m_planned[span.rows[i]];
      bool holds = true;
      for (int place : checkOf[i]) {
        const ReadBack back = place < 0 ? ReadBack::NotChecked : check.readBack.value(place);
        r.readBack << back;
        r.readValues << (place < 0 ? 0 : check.readValue.value(place).value_or(0));
        holds = holds && back == ReadBack::Holds;
      }
      if (r.state == RowWrite::Unanswered) continue;
      r.state = holds ? RowWrite::Written : RowWrite::NotHeld;
      if (holds) m_set.setMarked(r.row.grid, r.row.row, false);
    }
    return Outcome::Done;
  }

  DeviceClient& device() { return *m_device; }
  std::optional<int> movedTo() const { return m_movedTo; }

 private:
  void leaveUnconfirmed(const QVector<int>& answered) {
    for (int index : answered) {
      RowWriteResult& r = m_planned[index];
      r.state = RowWrite::NotHeld;
      r.readBack = QVector<ReadBack>(r.row.words.size(), ReadBack::NotRead);
      r.readValues = QVector<std::uint16_t>(r.row.words.size(), 0);
    }
  }

  // A device takes a new address once it has answered the write of it:
  // the rest of the write, the checks and the setup read follow it there.
  void followAddress(const RowWriteResult& r) {
    if (r.outcome != Outcome::Done || r.row.registers.value(0) != reg::kAddress) return;
    const std::uint8_t address = std::uint8_t(r.row.words[0] & 0xFF);
    if (address == m_session.DeviceAddress) return;
    m_session.DeviceAddress = address;
    m_device.emplace(m_session, PortFailures::AsOutcome);
    m_movedTo = address;
  }

  Session& m_session;
  ParamSet& m_set;
  QVector<RowWriteResult>& m_planned;
  std::optional<DeviceClient> m_device;
  std::optional<int> m_movedTo;
};

}  // namespace

ParamWriteResult writeParameters(Session& session, const Result<QString>& password,
                                 ParamSet& set, SetupFields& setup, const QLocale& locale,
                                 const RangeQuestion& askOutOfRange,
                                 const PreviewQuestion& confirm) {
  if (!password) return resultOf(password.outcome, {});

  QVector<RowWriteResult> planned;
  plan(set, 1, planned);
  plan(set, 2, planned);
  for (const RowWriteResult& r : planned)
    if (r.state == RowWrite::Refused) return resultOf(Outcome::InputRefused, planned);

  // What the device holds now, read once: for the range question, the
  // preview and the change log's values before.
  const QVector<Span> spans = spansOf(planned, set.group());
  const Result<DeviceImage> before = readBefore(session, spans);
  if (!before) return resultOf(before.outcome, planned);

  // A relay's own values are never questioned: a copy of its settings
  // into itself must pass as it is.
  QVector<RangeViolation> outside;
  for (const RangeViolation& v : outsideRanges(planned, locale))
    if (!deviceHolds(v.row, before.value)) outside << v;
  if (!outside.isEmpty() && !(askOutOfRange && askOutOfRange(outside))) {
    ParamWriteResult declined = resultOf(Outcome::Cancelled, planned);
    declined.outOfRange = outside;
    return declined;
  }

  const WritePreview preview = previewOf(rowsToWrite(planned), before.value, set.group(), locale);
  if (confirm && !confirm(preview)) {
    ParamWriteResult declined = resultOf(Outcome::Cancelled, planned);
    declined.outOfRange = outside;
    declined.preview = preview;
    declined.previewDeclined = true;
    return declined;
  }

  PortBracket bracket(session);
  const ChangeOperation operation(session.changeOperation, kWriteOperation);
  for (const RowWriteResult& r : planned)
    if (r.state == RowWrite::Kept) passOver(set, r);
  SpanWriter writer(session, set, planned);
  auto done = [&](Outcome outcome) {
    ParamWriteResult result = resultOf(outcome, planned);
    result.outOfRange = outside;
    result.preview = preview;
    result.movedTo = writer.movedTo();
    return result;
  };
  for (const Span& span : spans)
    if (writer.write(span) == Outcome::PortFailure) return done(Outcome::PortFailure);
  const Result<SetupFields> read = writer.device().readSetup();
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

QStringList writeSummary(const ParamWriteResult& result) {
  // A password that did not pass leaves no rows; nothing began.
  if ((result.rows.isEmpty() && !result.ok()) || result.outcome == Outcome::InputRefused ||
      result.outcome == Outcome::Cancelled)
    return {};
  const int failed = result.count(RowWrite::Unanswered) + result.count(RowWrite::NotHeld) +
                     result.count(RowWrite::NotSent);
  QStringList lines{kSummaryWritten.arg(result.count(RowWrite::Written))};
  if (const int kept = result.count(RowWrite::Kept)) lines << kSummaryKept.arg(kept);
  if (failed) lines << kSummaryFailed.arg(failed);
  return lines;
}

QString doneReport(const ParamWriteResult& result) {
  QStringList lines = writeSummary(result);
  for (const RowWriteResult& r : result.rows)
    if (r.state == RowWrite::Kept) lines << QStringLiteral("«%1»: %2").arg(r.row.caption, kRowKept);
  return kWriteDone + lines.join(u'\n');
}

}  // namespace vmk
