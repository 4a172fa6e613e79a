// The ini codec and the readers of every ini file the programs open: the
// port settings (Front.ini, Rear.ini), a settings file (.ust) loaded into
// both grids, and calibr.ini read by the calibration window's model. A file
// the codec has read must read back the same after it is written out.

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "device/port_settings.h"
#include "device/session.h"
#include "extlib/ini_file.h"
#include "fuzz/qt_app.h"
#include "model/prompts.h"
#include "params/param_set.h"
#include "params/settings_file.h"
#include "service/calibration_model.h"

namespace {

using namespace vmk;

// Answers every question with "no".
class NoPrompts : public Prompts {
 public:
  Button box(const MessageBox&) override { return Button::Cancel; }
  std::optional<QString> input(const QString&, const QString&, const QString&) override { return {}; }
  std::optional<QString> openFile(const FileDialog&) override { return {}; }
  std::optional<QString> saveFile(const FileDialog&) override { return {}; }
  std::optional<QString> password() override { return {}; }
  std::optional<QString> number(const NumberDialog&) override { return {}; }
  bool portSettings(PortSettings&) override { return false; }
  void beep() override {}
};

const QString& folder() {
  // A folder in memory where there is one: every input is written to a file.
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/vmkfuzz-XXXXXX")
                                                                     : QDir::tempPath() + QStringLiteral("/vmkfuzz-XXXXXX"));
  static const QString path = dir.path() + QLatin1Char('/');
  return path;
}

QString writeFile(const QString& name, const QByteArray& bytes) {
  const QString path = folder() + name;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
  file.write(bytes);
  return path;
}

// The named sections in file order. The nameless one (keys before any
// header, or under "[]") is always written first, so its place is not
// compared; its keys are, as the first entry.
QStringList sectionsOf(const IniFile& ini) {
  QStringList out = ini.sections();
  out.removeAll(QString());
  out.prepend(QString());
  return out;
}

// Damage that SimpleIni reads one way and writes out so that it reads back
// another: a CR standing alone (not before a LF) inside a section header,
// and a byte-order mark after the start of the file, which becomes the
// start of a key that is then written first and taken for the file's mark.
bool readsBackDifferently(const QByteArray& bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return true;
  return bytes.indexOf("\xEF\xBB\xBF", 1) >= 0;
}

// SimpleIni reads a '[' left open on its line as a section name that runs
// on to the next ']', line breaks included; such a name is written out as
// it is and reads back differently.
bool hasBrokenName(const QStringList& sections) {
  for (const QString& s : sections)
    if (s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'))) return true;
  return false;
}

void roundTrip(const QByteArray& bytes, IniCodec codec) {
  IniFile ini(codec);
  if (!ini.loadData(bytes) || readsBackDifferently(bytes)) return;
  const QStringList sections = sectionsOf(ini);
  if (hasBrokenName(sections)) return;
  QList<QStringList> keys;
  QStringList values;
  for (const QString& s : sections) {
    keys.append(ini.keys(s));
    for (const QString& k : keys.last()) values.append(ini.value(s, k));
  }
  IniFile again(codec);
  if (!again.loadData(ini.data())) __builtin_trap();
  if (sectionsOf(again) != sections) __builtin_trap();
  QStringList valuesAgain;
  for (qsizetype i = 0; i < sections.size(); ++i) {
    if (again.keys(sections[i]) != keys[i]) __builtin_trap();
    for (const QString& k : keys[i]) valuesAgain.append(again.value(sections[i], k));
  }
  if (valuesAgain != values) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vmk::fuzz::ensureCoreApplication();
  if (size == 0) return 0;
  const int which = data[0] % 4;
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  switch (which) {
    case 0:
      roundTrip(bytes, IniCodec::Utf8);
      roundTrip(bytes, IniCodec::Windows1251);
      break;
    case 1: {
      PortSettings settings;
      loadPortSettings(writeFile(QStringLiteral("Front.ini"), bytes), settings);
      break;
    }
    case 2: {
      ParamSet set(1 + int(size % 2));
      loadSettingsFile(writeFile(QStringLiteral("fuzz.ust"), bytes), set);
      break;
    }
    case 3: {
      writeFile(QStringLiteral("calibr.ini"), bytes);
      Session session;
      session.vmk.DeviceVariant = std::int16_t(1 + size % 3);
      NoPrompts prompts;
      CalibrationModel::Options options;
      options.programDir = folder();
      CalibrationModel model(session, prompts, options);
      break;
    }
  }
  return 0;
}
