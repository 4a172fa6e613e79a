#include "oscview/comtrade_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "oscview/comtrade_read.h"

#include "extlib/cp1251_table.h"

namespace vmk::oscview {

using detail::refuse;
using detail::Refused;

namespace detail {

QString decodeText(QByteArrayView bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  // Cyrillic words are runs of bytes 0xC0..0xFF; Latin-1 text has its
  // accented letters one at a time between plain ones.
  int run = 0;
  for (char c : bytes) {
    run = uchar(c) >= 0xC0 ? run + 1 : 0;
    if (run >= 3) return cp1251::table::decode(bytes);
  }
  return QString::fromLatin1(bytes);
}

}  // namespace detail

namespace {

QStringList cfgLines(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& l : lines)
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
  while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
  return lines;
}

void parse(QByteArrayView cfg, QByteArrayView dat, const FileNames& names, const Progress& progress,
           Recording& rec) {
  if (cfg.size() > kMaxCfgBytes) refuse(QStringLiteral("%1 слишком велик").arg(names.cfg));
  if (dat.size() > kMaxDatBytes) refuse(QStringLiteral("%1 слишком велик").arg(names.dat));
  const QStringList lines = cfgLines(detail::decodeText(cfg));
  if (lines.isEmpty()) refuse(QStringLiteral("%1 пуст").arg(names.cfg));
  const detail::Layout lay = detail::parseCfgLines(lines, names.cfg, rec);
  detail::parseData(dat, lay, names.dat, rec, progress);
}

// A section of a .cff: its marker line "--- file type: KIND ---" and what
// follows it.
struct Section {
  QString kind;       // CFG, INF, HDR, DAT
  QString form;       // of DAT: ASCII, BINARY, ...
  qint64 bytes = -1;  // of a binary DAT: the byte count
  QByteArrayView body;
};

bool startsMarker(QByteArrayView at) {
  return at.size() >= 13 && at.first(13).toByteArray().toLower() == "--- file type";
}

// The marker at `line`, if it is one.
bool marker(QByteArrayView line, Section& s, const QString& name, int lineNo) {
  const QString text = QString::fromLatin1(line.toByteArray()).trimmed();
  static const QString head = QStringLiteral("--- file type:");
  if (!text.startsWith(head, Qt::CaseInsensitive)) return false;
  QString rest = text.mid(head.size()).trimmed();
  if (!rest.endsWith(QLatin1String("---")))
    refuse(QStringLiteral("%1, строка %2: ожидается «--- file type: ... ---»").arg(name).arg(lineNo));
  rest = rest.chopped(3).trimmed().toUpper();
  const qsizetype colon = rest.indexOf(QLatin1Char(':'));
  if (colon >= 0) {
    bool ok = false;
    s.bytes = rest.mid(colon + 1).trimmed().toLongLong(&ok);
    if (!ok || s.bytes < 0)
      refuse(QStringLiteral("%1, строка %2: неверное число байт «%3»").arg(name).arg(lineNo).arg(rest.mid(colon + 1)));
    rest = rest.left(colon).trimmed();
  }
  const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  s.kind = words.value(0);
  s.form = words.value(1);
  static const QStringList kinds{QStringLiteral("CFG"), QStringLiteral("INF"), QStringLiteral("HDR"),
                                 QStringLiteral("DAT")};
  if (!kinds.contains(s.kind))
    refuse(QStringLiteral("%1, строка %2: раздел «%3» неизвестен: ожидается CFG, INF, HDR или DAT")
               .arg(name)
               .arg(lineNo)
               .arg(rest));
  return true;
}

QList<Section> sections(QByteArrayView all, const QString& name) {
  QList<Section> out;
  qsizetype pos = 0;
  int lineNo = 0;
  while (pos < all.size()) {
    qsizetype end = all.indexOf('\n', pos);
    if (end < 0) end = all.size();
    const QByteArrayView line = all.sliced(pos, end - pos);
    ++lineNo;
    Section s;
    const bool isMarker = startsMarker(line) && marker(line, s, name, lineNo);
    if (!isMarker && out.isEmpty())
      refuse(QStringLiteral("%1, строка %2: ожидается «--- file type: CFG ---»").arg(name).arg(lineNo));
    pos = std::min(end + 1, all.size());
    if (!isMarker) continue;
    if (s.kind == QLatin1String("DAT") && s.form != QLatin1String("ASCII")) {
      // Binary data: its byte count, then possibly further sections.
      if (s.bytes < 0)
        refuse(QStringLiteral("%1, строка %2: у двоичных данных нет числа байт").arg(name).arg(lineNo));
      if (s.bytes > all.size() - pos)
        refuse(QStringLiteral("%1, строка %2: раздел DAT в %3 байт длиннее остатка файла (%4 байт)")
                   .arg(name)
                   .arg(lineNo)
                   .arg(s.bytes)
                   .arg(all.size() - pos));
      s.body = all.sliced(pos, qsizetype(s.bytes));
      pos += qsizetype(s.bytes);
      while (pos < all.size() && (all[pos] == '\r' || all[pos] == '\n')) ++pos;
    } else {
      // Text up to the next marker line.
      qsizetype next = pos;
      if (!startsMarker(all.sliced(pos))) {
        for (qsizetype from = pos;;) {
          const qsizetype nl = all.indexOf("\n---", from);
          if (nl < 0) {
            next = all.size();
            break;
          }
          if (startsMarker(all.sliced(nl + 1))) {
            next = nl + 1;
            break;
          }
          from = nl + 1;
        }
      }
      s.body = all.sliced(pos, next - pos);
      lineNo += int(s.body.count('\n'));
      pos = next;
    }
    out << s;
  }
  return out;
}

QByteArray readLimited(const QString& path, qint64 limit) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    refuse(QStringLiteral("Не удалось открыть файл %1: %2").arg(path, f.errorString()));
  if (f.size() > limit) refuse(QStringLiteral("Файл %1 слишком велик (%2 байт)").arg(path).arg(f.size()));
  return f.readAll();
}

// A file mapped for reading while it is parsed.
class Mapped {
 public:
  explicit Mapped(const QString& path) : m_file(path) {
    if (!m_file.open(QIODevice::ReadOnly))
      refuse(QStringLiteral("Не удалось открыть файл %1: %2").arg(path, m_file.errorString()));
    if (m_file.size() > kMaxDatBytes)
      refuse(QStringLiteral("Файл %1 слишком велик (%2 байт)").arg(path).arg(m_file.size()));
    if (m_file.size() == 0) return;
    m_data = m_file.map(0, m_file.size());
    if (!m_data) {
      m_copy = m_file.readAll();
      m_view = m_copy;
    } else {
      m_view = QByteArrayView(reinterpret_cast<const char*>(m_data), m_file.size());
    }
  }
  ~Mapped() {
    if (m_data) m_file.unmap(m_data);
  }
  QByteArrayView bytes() const { return m_view; }

 private:
  QFile m_file;
  uchar* m_data = nullptr;
  QByteArray m_copy;
  QByteArrayView m_view;
};

// The file beside `stem` with `suffix` in lower or upper case; empty when
// there is none.
QString beside(const QString& stem, const QString& suffix) {
  for (const QString& s : {suffix.toLower(), suffix.toUpper()})
    if (QFileInfo::exists(stem + s)) return stem + s;
  return {};
}

QString sideText(const QString& stem, const QString& suffix) {
  const QString path = beside(stem, suffix);
  if (path.isEmpty()) return {};
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return detail::decodeText(f.read(kMaxCfgBytes));
}

}  // namespace

LoadResult parseComtrade(QByteArrayView cfg, QByteArrayView dat, const FileNames& names, const Progress& progress) {
  LoadResult result;
  try {
    parse(cfg, dat, names, progress, result.recording);
  } catch (const Refused& r) {
    result.recording = Recording{};
    result.error = r.text;
  }
  return result;
}

LoadResult parseCombined(QByteArrayView cff, const QString& name, const Progress& progress) {
  LoadResult result;
  Recording& rec = result.recording;
  try {
    if (cff.size() > kMaxDatBytes + kMaxCfgBytes) refuse(QStringLiteral("%1 слишком велик").arg(name));
    const QList<Section> parts = sections(cff, name);
    const Section* cfg = nullptr;
    const Section* dat = nullptr;
    for (const Section& s : parts) {
      if (s.kind == QLatin1String("CFG") && !cfg) cfg = &s;
      if (s.kind == QLatin1String("DAT") && !dat) dat = &s;
      if (s.kind == QLatin1String("HDR")) rec.header = detail::decodeText(s.body.first(std::min<qsizetype>(s.body.size(), kMaxCfgBytes)));
      if (s.kind == QLatin1String("INF")) rec.information = detail::decodeText(s.body.first(std::min<qsizetype>(s.body.size(), kMaxCfgBytes)));
    }
    if (!cfg) refuse(QStringLiteral("%1: нет раздела «--- file type: CFG ---»").arg(name));
    if (!dat) refuse(QStringLiteral("%1: нет раздела «--- file type: DAT ... ---»").arg(name));
    const FileNames names{name + QStringLiteral(", раздел CFG"), name + QStringLiteral(", раздел DAT")};
    const QString header = rec.header, information = rec.information;
    if (cfg->body.size() > kMaxCfgBytes) refuse(QStringLiteral("%1 слишком велик").arg(names.cfg));
    // The data's form is the configuration's; the marker must agree.
    Recording probe;
    const QStringList lines = cfgLines(detail::decodeText(cfg->body));
    if (lines.isEmpty()) refuse(QStringLiteral("%1 пуст").arg(names.cfg));
    const detail::Layout lay = detail::parseCfgLines(lines, names.cfg, probe);
    if (dat->form != lay.form)
      refuse(QStringLiteral("%1: данные «%2», а в конфигурации «%3»").arg(names.dat, dat->form, lay.form));
    rec = std::move(probe);
    detail::parseData(dat->body, lay, names.dat, rec, progress);
    rec.singleFile = true;
    rec.header = header;
    rec.information = information;
  } catch (const Refused& r) {
    result.recording = Recording{};
    result.error = r.text;
  }
  return result;
}

LoadResult loadComtrade(const QString& path, const Progress& progress) {
  LoadResult result;
  try {
    const QFileInfo info(path);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName();
    {
      QFile probe(path);
      const bool single = info.suffix().compare(QLatin1String("cff"), Qt::CaseInsensitive) == 0 ||
                          (probe.open(QIODevice::ReadOnly) && probe.peek(13).toLower() == "--- file type");
      if (single) {
        const Mapped all(path);
        return parseCombined(all.bytes(), QStringLiteral("Файл %1").arg(info.fileName()), progress);
      }
    }
    const QByteArray cfg = readLimited(path, kMaxCfgBytes);
    QString datPath = beside(stem, QStringLiteral(".dat"));
    if (datPath.isEmpty()) datPath = stem + QStringLiteral(".dat");
    const Mapped dat(datPath);
    const FileNames names{QStringLiteral("Файл конфигурации %1").arg(info.fileName()),
                          QStringLiteral("Файл данных %1").arg(QFileInfo(datPath).fileName())};
    result = parseComtrade(cfg, dat.bytes(), names, progress);
    if (result.ok()) {
      result.recording.header = sideText(stem, QStringLiteral(".hdr"));
      result.recording.information = sideText(stem, QStringLiteral(".inf"));
    }
  } catch (const Refused& r) {
    result.error = r.text;
  }
  return result;
}

}  // namespace vmk::oscview
