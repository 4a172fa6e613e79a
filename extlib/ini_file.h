#pragma once
// The one ini codec of the project (Front.ini, Rear.ini, calibr.ini, .ust).
// Works on raw bytes: sections, keys and comments it does not know are kept
// in their order; texts are converted at the border, UTF-8 or Windows-1251
// as the file needs. Section and key names match without regard to ASCII
// case, as Windows' ini functions do. Saving replaces the file atomically.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace vmk {

enum class IniCodec { Utf8, Windows1251 };

class IniFile {
 public:
  explicit IniFile(IniCodec codec = IniCodec::Utf8);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Replaces the contents with the file's; false (contents empty, with
  // errorString()) when it cannot be read. A missing file is such a file.
  bool load(const QString& path);
  // Replaces the contents with ini text; false when it cannot be parsed.
  bool loadData(const QByteArray& data);
  // Writes the contents into `path` through a temporary file that replaces
  // it only when everything was written; false (file untouched) on failure.
  bool save(const QString& path);
  QByteArray data() const;
  QString errorString() const { return m_error; }

  bool contains(const QString& section, const QString& key) const;
  // The value, or `fallback` when the key is missing.
  QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
  // Sets a value; a new key goes to the end of its section, a new section
  // to the end of the file.
  void setValue(const QString& section, const QString& key, const QString& value);
  void remove(const QString& section, const QString& key);
  void removeSection(const QString& section);

  // In file order.
  QStringList sections() const;
  QStringList keys(const QString& section) const;

 private:
  QByteArray encode(const QString& text) const;
  QString decode(const char* bytes) const;

  struct Impl;
  std::unique_ptr<Impl> m_impl;
  IniCodec m_codec;
  QString m_error;
};

}  // namespace vmk
