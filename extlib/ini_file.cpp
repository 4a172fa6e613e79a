#include "extlib/ini_file.h"

#include <QFile>
#include <QSaveFile>
// Raw bytes only: the codec converts texts itself.
#define SI_NO_CONVERSION
// Debian's SimpleIni keeps the template bodies behind this switch.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <functional>
#include <string>

#include "extlib/charset.h"

namespace vmk {

struct IniFile::Impl {
  CSimpleIniA ini{false, false, false};  // raw bytes, one value per key, no multi-line
  Impl() { ini.SetSpaces(false); }        // "key=value", as Windows writes it
};

namespace {

// Names in load order (SimpleIni hands them out unordered).
QStringList ordered(CSimpleIniA::TNamesDepend names, const std::function<QString(const char*)>& decode) {
  names.sort(CSimpleIniA::Entry::LoadOrder());
  QStringList out;
  for (const auto& entry : names) out << decode(entry.pItem);
  return out;
}

}  // namespace

IniFile::IniFile(IniCodec codec) : m_impl(std::make_unique<Impl>()), m_codec(codec) {}
IniFile::~IniFile() = default;

QByteArray IniFile::encode(const QString& text) const {
  return m_codec == IniCodec::Windows1251 ? cp1251::encode(text) : text.toUtf8();
}

QString IniFile::decode(const char* bytes) const {
  if (!bytes) return {};
  const QByteArray raw(bytes);
  return m_codec == IniCodec::Windows1251 ? cp1251::decode(raw) : QString::fromUtf8(raw);
}

bool IniFile::load(const QString& path) {
  m_impl->ini.Reset();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    m_error = file.errorString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    m_error = file.errorString();
    return false;
  }
  return loadData(bytes);
}

bool IniFile::loadData(const QByteArray& data) {
  m_impl->ini.Reset();
  if (m_impl->ini.LoadData(data.constData(), size_t(data.size())) < 0) {
    m_error = QStringLiteral("Неверный формат ini-файла");
    return false;
  }
  m_error.clear();
  return true;
}

QByteArray IniFile::data() const {
  std::string out;
  m_impl->ini.Save(out);
  return QByteArray(out.data(), qsizetype(out.size()));
}

bool IniFile::save(const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    m_error = file.errorString();
    return false;
  }
  const QByteArray bytes = data();
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    m_error = file.errorString();
    file.cancelWriting();
    return false;
  }
  m_error.clear();
  return true;
}

bool IniFile::contains(const QString& section, const QString& key) const {
  return m_impl->ini.GetValue(encode(section).constData(), encode(key).constData()) != nullptr;
}

QString IniFile::value(const QString& section, const QString& key, const QString& fallback) const {
  const char* v = m_impl->ini.GetValue(encode(section).constData(), encode(key).constData());
  return v ? decode(v) : fallback;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
  m_impl->ini.SetValue(encode(section).constData(), encode(key).constData(),
                       encode(value).constData());
}

void IniFile::remove(const QString& section, const QString& key) {
  m_impl->ini.Delete(encode(section).constData(), encode(key).constData());
}

void IniFile::removeSection(const QString& section) {
  m_impl->ini.Delete(encode(section).constData(), nullptr);
}

QStringList IniFile::sections() const {
  CSimpleIniA::TNamesDepend names;
  m_impl->ini.GetAllSections(names);
  return ordered(names, [this](const char* s) { return decode(s); });
}

QStringList IniFile::keys(const QString& section) const {
  CSimpleIniA::TNamesDepend names;
  m_impl->ini.GetAllKeys(encode(section).constData(), names);
  return ordered(names, [this](const char* s) { return decode(s); });
}

}  // namespace vmk
