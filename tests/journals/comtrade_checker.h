#pragma once
// A checker of our own for a COMTRADE pair of IEEE C37.111-1999 in ASCII:
// it knows nothing of our writers and reports every line that breaks the
// standard's field counts and formats. Empty: the pair is sound.

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>

namespace vmk::test {

class ComtradeChecker {
 public:
  QStringList check(const QByteArray& cfg, const QByteArray& dat) {
    m_problems.clear();
    const QStringList cfgLines = lines(cfg, QStringLiteral("cfg"));
    checkCfg(cfgLines);
    checkDat(lines(dat, QStringLiteral("dat")));
    return m_problems;
  }

 private:
  void problem(const QString& where, const QString& what) { m_problems << where + QStringLiteral(": ") + what; }

  QStringList lines(const QByteArray& bytes, const QString& file) {
    for (int i = 0; i < bytes.size(); ++i) {
      const unsigned char c = std::uint8_t(bytes[i]);
      if (c == '\r' || c == '\n') continue;
      if (c < 0x20 || c > 0x7E) {
        problem(file, QStringLiteral("byte %1 at %2 is no printable ASCII").arg(c).arg(i));
        break;
      }
    }
    if (!bytes.endsWith("\r\n")) problem(file, QStringLiteral("last line not ended by CR LF"));
    QStringList out = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    for (int i = 0; i < out.size(); ++i)
      if (out[i].contains(QLatin1Char('\n')) || out[i].contains(QLatin1Char('\r')))
        problem(file + QString::number(i + 1), QStringLiteral("a line end that is not CR LF"));
    return out;
  }

  static bool isInt(const QString& s, int maxLen) {
    static const QRegularExpression re(QStringLiteral("^-?[0-9]+$"));
    return !s.isEmpty() && s.size() <= maxLen && re.match(s).hasMatch();
  }
  static bool isReal(const QString& s) {
    static const QRegularExpression re(QStringLiteral(R"(^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$)"));
    return !s.isEmpty() && s.size() <= 32 && re.match(s).hasMatch();
  }
  static bool isStamp(const QString& s) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4},([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\.[0-9]{6}$)"));
    return re.match(s).hasMatch();
  }

  QStringList fields(const QStringList& l, int i, int count) {
    if (i >= l.size()) {
      problem(QStringLiteral("cfg%1").arg(i + 1), QStringLiteral("missing"));
      return QStringList(count);
    }
    const QStringList f = l[i].split(QLatin1Char(','));
    if (f.size() != count)
      problem(QStringLiteral("cfg%1").arg(i + 1), QStringLiteral("%1 fields, not %2").arg(f.size()).arg(count));
    QStringList out = f;
    while (out.size() < count) out << QString();
    return out;
  }

  void checkCfg(const QStringList& l) {
    int i = 0;
    const QStringList head = fields(l, i++, 3);
    if (head[0].size() > 64 || head[1].size() > 64) problem("cfg1", "station or device id over 64 characters");
    if (head[2] != QLatin1String("1999")) problem("cfg1", "rev_year is not 1999");

    const QStringList counts = fields(l, i++, 3);
    const int a = counts[1].chopped(counts[1].isEmpty() ? 0 : 1).toInt();
    const int d = counts[2].chopped(counts[2].isEmpty() ? 0 : 1).toInt();
    if (!counts[1].endsWith(QLatin1Char('A')) || !counts[2].endsWith(QLatin1Char('D')) ||
        counts[0].toInt() != a + d)
      problem("cfg2", "TT,##A,##D does not add up");
    m_analog = a;
    m_digital = d;

    m_min.clear();
    m_max.clear();
    for (int k = 1; k <= a; ++k) {
      const QString w = QStringLiteral("cfg%1").arg(i + 1);
      const QStringList f = fields(l, i++, 13);
      if (f[0].toInt() != k || !isInt(f[0], 6)) problem(w, "An is not the channel's index");
      if (f[1].size() > 64 || f[2].size() > 2 || f[3].size() > 64) problem(w, "ch_id, ph or ccbm too long");
      if (f[4].isEmpty() || f[4].size() > 32) problem(w, "uu empty or too long");
      for (int r : {5, 6, 7, 10, 11})
        if (!isReal(f[r])) problem(w, QStringLiteral("field %1 is no real number").arg(r + 1));
      if (!isInt(f[8], 6) || !isInt(f[9], 6) || f[8].toInt() > f[9].toInt() || f[8].toInt() < -99999 ||
          f[9].toInt() > 99999)
        problem(w, "min and max are no range of -99999..99999");
      if (f[12] != QLatin1String("P") && f[12] != QLatin1String("S")) problem(w, "PS is not P or S");
      m_min << f[8].toInt();
      m_max << f[9].toInt();
    }
    for (int k = 1; k <= d; ++k) {
      const QString w = QStringLiteral("cfg%1").arg(i + 1);
      const QStringList f = fields(l, i++, 5);
      if (f[0].toInt() != k || !isInt(f[0], 6)) problem(w, "Dn is not the channel's index");
      if (f[1].size() > 64 || f[2].size() > 2 || f[3].size() > 64) problem(w, "ch_id, ph or ccbm too long");
      if (f[4] != QLatin1String("0") && f[4] != QLatin1String("1")) problem(w, "y is not 0 or 1");
    }
    if (!isReal(fields(l, i++, 1)[0])) problem(QStringLiteral("cfg%1").arg(i), "lf is no number");
    const int nrates = fields(l, i++, 1)[0].toInt();
    if (nrates < 1) problem(QStringLiteral("cfg%1").arg(i), "nrates below 1");
    m_samples = 0;
    for (int r = 0; r < nrates; ++r) {
      const QStringList f = fields(l, i++, 2);
      if (!isReal(f[0]) || !isInt(f[1], 10)) problem(QStringLiteral("cfg%1").arg(i), "samp,endsamp");
      m_samples = f[1].toInt();
    }
    for (int s = 0; s < 2; ++s) {
      if (i >= l.size() || !isStamp(l[i])) problem(QStringLiteral("cfg%1").arg(i + 1), "no dd/mm/yyyy,hh:mm:ss.ssssss");
      ++i;
    }
    const QString ft = fields(l, i++, 1)[0];
    if (ft != QLatin1String("ASCII")) problem(QStringLiteral("cfg%1").arg(i), "ft is not ASCII");
    if (!isReal(fields(l, i++, 1)[0])) problem(QStringLiteral("cfg%1").arg(i), "timemult is no number");
    if (l.size() != i) problem("cfg", QStringLiteral("%1 lines, not %2").arg(l.size()).arg(i));
  }

  void checkDat(const QStringList& l) {
    if (l.size() != m_samples) problem("dat", QStringLiteral("%1 samples, endsamp says %2").arg(l.size()).arg(m_samples));
    long long previous = -1;
    const int before = int(m_problems.size());
    for (int s = 0; s < l.size() && m_problems.size() - before < 20; ++s) {
      const QString w = QStringLiteral("dat%1").arg(s + 1);
      const QStringList f = l[s].split(QLatin1Char(','));
      if (f.size() != 2 + m_analog + m_digital) {
        problem(w, QStringLiteral("%1 fields").arg(f.size()));
        continue;
      }
      if (!isInt(f[0], 10) || f[0].toLongLong() != s + 1) problem(w, "n is not the sample's number");
      if (!isInt(f[1], 10) || f[1].toLongLong() < previous) problem(w, "timestamp");
      previous = f[1].toLongLong();
      for (int c = 0; c < m_analog; ++c) {
        const QString& v = f[2 + c];
        if (!isInt(v, 6) || v.toInt() < m_min[c] || v.toInt() > m_max[c])
          problem(w, QStringLiteral("analog %1 = %2 outside min..max").arg(c + 1).arg(v));
      }
      for (int c = 0; c < m_digital; ++c) {
        const QString& v = f[2 + m_analog + c];
        if (v != QLatin1String("0") && v != QLatin1String("1")) problem(w, "digital not 0 or 1");
      }
    }
  }

  QStringList m_problems;
  int m_analog = 0;
  int m_digital = 0;
  int m_samples = 0;
  QList<int> m_min, m_max;
};

}  // namespace vmk::test
