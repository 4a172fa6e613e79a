#include "params/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QStringDecoder>

#include "extlib/ini_file.h"
#include "params/catalogue.h"
#include "params/messages.h"
#include "params/param_set.h"

namespace vmk {

namespace {

const QString kParamSection = QStringLiteral("Параметры");
const QString kSettingSection = QStringLiteral("Уставки");

void storeGrid(IniFile& ini, int tag, const ParamSet& set, SaveRows which) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    if (rows[i].fileKey.isEmpty()) continue;
    if (which == SaveRows::Marked && !set.marked(tag, i)) continue;
    ini.setValue(settingsSection(tag), rows[i].fileKey, set.text(tag, i));
  }
}

// The entries of one section that the file holds, with the words of their
// texts (either decimal separator is read).
void findEntries(const IniFile& ini, int tag, QVector<FileEntry>& entries) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    const QString& key = rows[i].fileKey;
    if (key.isEmpty()) continue;
    if (!ini.contains(settingsSection(tag), key)) continue;
    const QString text = ini.value(settingsSection(tag), key);
    entries.append({tag, i, key, text, wordsFromText(rows[i], text, QLocale::c())});
  }
}

// Every data row is marked, those the file lacks included, so that the next
// write sends the whole configuration.
void markDataRows(ParamSet& set, int tag) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].isData()) set.setMarked(tag, i, true);
}

SettingsFileResult refused(QString message) {
  SettingsFileResult r;
  r.outcome = Outcome::InputRefused;
  r.message = std::move(message);
  return r;
}

// How a settings file's texts are read. Windows-1251 is what this program
// writes; a file saved again by a text editor may come back in UTF-8, with
// or without a byte-order mark. Bytes that are valid UTF-8 and not plain
// ASCII are read as UTF-8, all others as Windows-1251. No file this program
// wrote changes meaning: its Cyrillic letters are bytes 0xC0..0xFF, each of
// which UTF-8 must follow with bytes 0x80..0xBF, and two letters side by
// side (as in its section names) never are.
IniCodec codecOf(const QByteArray& bytes) {
  bool ascii = true;
  for (char c : bytes)
    if (std::uint8_t(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return IniCodec::Windows1251;
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded = utf8.decode(bytes);  // the decoder works when the text is taken
  return utf8.hasError() ? IniCodec::Windows1251 : IniCodec::Utf8;
}

// The bytes of an existing settings file without a byte-order mark, with
// the codec its texts are in; a message when it cannot be read or is in
// UTF-16 (a text editor's "Unicode"), whose texts no codec here reads.
struct FileText {
  QByteArray bytes;
  IniCodec codec = IniCodec::Windows1251;
  QString error;
};

FileText readFileText(const QString& path) {
  FileText t;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    t.error = fileReadError(path, file.errorString());
    return t;
  }
  t.bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    t.error = fileReadError(path, file.errorString());
    return t;
  }
  if (t.bytes.startsWith("\xFF\xFE") || t.bytes.startsWith("\xFE\xFF")) {
    t.error = kUtf16File.arg(path);
    return t;
  }
  const QByteArray bom("\xEF\xBB\xBF");
  if (t.bytes.startsWith(bom)) t.bytes.remove(0, bom.size());
  t.codec = codecOf(t.bytes);
  return t;
}

}  // namespace

const QString& settingsSection(int grid) { return grid == 2 ? kSettingSection : kParamSection; }

FileDialog settingsFileDialog() {
  FileDialog d;
  d.filter = QStringLiteral("Файл параметров и уставок (*.ust)|*.ust");
  d.defaultExt = QStringLiteral("ust");
  return d;
}

SettingsFileResult saveSettingsFile(const QString& path, const ParamSet& set, SaveRows rows) {
  // A new file is Windows-1251. An existing one is updated in the codec it
  // is in, never replaced by a file without its other sections; one that
  // cannot be read is left alone.
  const bool exists = QFile::exists(path);
  FileText existing;
  if (exists) {
    existing = readFileText(path);
    if (!existing.error.isEmpty()) return refused(existing.error);
  }
  IniFile ini(existing.codec);
  if (exists && !ini.loadData(existing.bytes)) return refused(fileReadError(path, ini.errorString()));
  storeGrid(ini, 1, set, rows);
  storeGrid(ini, 2, set, rows);
  if (!ini.save(path)) return refused(fileWriteError(path, ini.errorString()));
  return {};
}

SettingsFileResult loadSettingsFile(const QString& path, ParamSet& set, MarkLoaded mark) {
  const qsizetype dot = path.lastIndexOf(u'.');
  if (dot < 0 || path.mid(dot) != QLatin1String(".ust")) return refused({});
  const FileText file = readFileText(path);
  if (!file.error.isEmpty()) return refused(file.error);

  IniFile ini(file.codec);
  SettingsFileResult result;
  // Bytes that are no ini text hold no entry either.
  if (ini.loadData(file.bytes)) {
    findEntries(ini, 1, result.entries);
    findEntries(ini, 2, result.entries);
  }
  // An empty file, another program's file, random bytes: nothing to load,
  // and marking every row would send the set's values instead.
  if (result.entries.isEmpty()) return refused(kNoParameters.arg(path));
  for (const FileEntry& e : result.entries) {
    set.setValue(e.grid, e.row, RowValue::given(e.text, e.words));
    if (mark == MarkLoaded::FileRows) set.setMarked(e.grid, e.row, true);
  }
  if (mark == MarkLoaded::AllDataRows) {
    markDataRows(set, 1);
    markDataRows(set, 2);
  }
  return result;
}

QString notValuesMessage(const QString& path, const QVector<FileEntry>& entries) {
  QStringList rows;
  for (const FileEntry& e : entries)
    if (!e.words.ok() && !e.words.kept)
      rows << QStringLiteral("«%1» = «%2»: %3").arg(e.key, e.text, e.words.why);
  if (rows.isEmpty()) return {};
  return kNotValuesLoaded.arg(QFileInfo(path).fileName(), rows.join(u'\n'));
}

}  // namespace vmk
