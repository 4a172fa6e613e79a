#pragma once
// A recording's samples kept as compactly as the file gave them: an analog
// channel as its 16- or 32-bit integers with the factor and offset that
// make them values, or as float32; a digital channel as bits; the times as
// runs of one sampling rate, or as the file's own stamps. Min/max per block
// of samples let the plot reduce a long recording per pixel column without
// reading every sample. Qt Core only.

#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vmk::oscview {

class AnalogSamples {
 public:
  enum class Form { Int16, Int32, Float32 };
  static constexpr int kBlock = 64;  // samples a min/max block covers

  // Space for `count` samples of `form`, every one missing until set.
  void reset(Form form, qsizetype count);
  Form form() const { return m_form; }
  qsizetype size() const { return m_size; }
  // Stored bytes per sample.
  int width() const { return m_form == Form::Int16 ? 2 : 4; }

  // A value = raw × scale + offset. `marks` says whether the integer
  // forms' smallest number marks a missing value (0x8000, 0x80000000).
  void setScale(double scale, double offset, bool marks);
  double scale() const { return m_scale; }
  double offset() const { return m_offset; }

  void setInt(qsizetype s, qint32 raw);
  void setFloat(qsizetype s, float raw);
  void setMissing(qsizetype s);
  // Turns an Int32 channel into Float32 (an ASCII file's values that are
  // no integers), keeping what it holds.
  void toFloat();

  // The value in the channel's units; NaN when missing.
  double at(qsizetype s) const;

  // Min and max of the values of samples [from, to); NaN, NaN when none.
  void range(qsizetype from, qsizetype to, double& lo, double& hi) const;
  // Fills the block table; call once all samples are set.
  void finish();

 private:
  Form m_form = Form::Float32;
  qsizetype m_size = 0;
  std::vector<std::uint8_t> m_bytes;
  double m_scale = 1, m_offset = 0;
  bool m_marks = true;
  std::vector<double> m_blockMin, m_blockMax;
};

class DigitalSamples {
 public:
  void reset(qsizetype count);
  qsizetype size() const { return m_size; }
  void set(qsizetype s, bool on) {
    const std::uint64_t bit = std::uint64_t(1) << (s & 63);
    if (on) m_words[std::size_t(s >> 6)] |= bit;
    else m_words[std::size_t(s >> 6)] &= ~bit;
  }
  bool at(qsizetype s) const { return (m_words[std::size_t(s >> 6)] >> (s & 63)) & 1; }
  // Whether samples [from, to) hold a 1, a 0.
  bool anyOn(qsizetype from, qsizetype to) const;
  bool anyOff(qsizetype from, qsizetype to) const;
  bool changes() const { return m_size > 0 && anyOn(0, m_size) && anyOff(0, m_size); }

 private:
  bool any(qsizetype from, qsizetype to, bool on) const;
  qsizetype m_size = 0;
  std::vector<std::uint64_t> m_words;
};

// Sample times in ms from the trigger.
class TimeAxis {
 public:
  // Times from the sampling rates: `ends[i]` is the last sample (from 1)
  // of rate `hz[i]`; the first sample at -triggerMs.
  void fromRates(const std::vector<double>& hz, const std::vector<qint64>& ends, qsizetype count,
                 double firstMs);
  // Times from the file's stamps: stamp × `stampMs` + `firstMs`.
  void fromStamps(std::vector<qint64> stamps, double stampMs, double firstMs);

  qsizetype size() const { return m_count; }
  bool stamped() const { return !m_stamps.empty(); }
  double at(qsizetype s) const;
  // The first sample at or after `ms` (size() when none).
  qsizetype lowerBound(double ms) const;
  // The sample nearest to `ms`; -1 when there are none.
  qsizetype nearest(double ms) const;
  // The sampling rate around sample `s` (from the stamps' mean step in the
  // stamp form); 0 when unknown.
  double rateAt(qsizetype s) const;

 private:
  struct Run {
    qsizetype first;  // first sample of the run
    double startMs;
    double stepMs;
  };
  const Run& runOf(qsizetype s) const;
  std::vector<Run> m_runs;
  std::vector<qint64> m_stamps;
  double m_stampMs = 0, m_firstMs = 0;
  qsizetype m_count = 0;
};

}  // namespace vmk::oscview
