#include "reports/zip_archive.h"

#include <QBuffer>
#include <QDateTime>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>
#include <zlib.h>

#include "reports/messages.h"

namespace vmk::xlsx {

using namespace msg::reports::zip;

namespace {

void say(QString* why, const QString& text) {
  if (why) *why = text;
}

}  // namespace

std::optional<QList<ZipEntry>> readZip(const QByteArray& bytes, QString* why,
                                       const ZipLimits& limits) {
  QByteArray copy = bytes;  // QBuffer wants a non-const array
  QBuffer buffer(&copy);
  QuaZip zip(&buffer);
  if (!zip.open(QuaZip::mdUnzip)) {
    say(why, kNotZip);
    return std::nullopt;
  }
  QList<ZipEntry> entries;
  qint64 total = 0;
  for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
    if (entries.size() >= limits.maxEntries) {
      say(why, kTooManyParts);
      return std::nullopt;
    }
    const QString name = zip.getCurrentFileName();
    if (name.isEmpty()) {
      say(why, kNamelessPart);
      return std::nullopt;
    }
    // The zip writer ends a name at its first NUL byte: such a part would
    // be written without its name.
    if (name.contains(QChar(0))) {
      say(why, kNulInName);
      return std::nullopt;
    }
    if (name.endsWith(QLatin1Char('/'))) continue;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly)) {
      say(why, kPartUnreadable.arg(name));
      return std::nullopt;
    }
    QByteArray data;
    char chunk[16384];
    for (;;) {
      const qint64 n = file.read(chunk, sizeof chunk);
      if (n < 0) {
        say(why, kPartDamaged.arg(name));
        return std::nullopt;
      }
      if (n == 0) break;
      total += n;
      // The size the directory states is not trusted: the count is.
      if (total > limits.maxUnpacked) {
        say(why, kTooLarge.arg(limits.maxUnpacked));
        return std::nullopt;
      }
      data.append(chunk, n);
    }
    file.close();
    // A wrong checksum shows when the entry is closed.
    if (file.getZipError() != UNZ_OK) {
      say(why, kPartDamaged.arg(name));
      return std::nullopt;
    }
    entries.append({name, data});
  }
  if (zip.getZipError() != UNZ_OK) {
    say(why, kDirectoryDamaged);
    return std::nullopt;
  }
  zip.close();
  return entries;
}

std::optional<QByteArray> writeZip(const QList<ZipEntry>& entries, QString* why,
                                   const QDateTime& stamp) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.setZip64Enabled(false);
    // Local headers carry the sizes: the buffer can seek back to them.
    zip.setDataDescriptorWritingEnabled(false);
    if (!zip.open(QuaZip::mdCreate)) {
      say(why, kNotCreated);
      return std::nullopt;
    }
    const QDateTime when = stamp.isValid() ? stamp : QDateTime::currentDateTime();
    for (const ZipEntry& e : entries) {
      if (e.name.isEmpty() || e.name.contains(QChar(0))) {
        say(why, kPartNotWritten.arg(e.name));
        return std::nullopt;
      }
      QuaZipNewInfo info(e.name);
      info.dateTime = when;
      info.externalAttr = 0644u << 16;  // a plain file, readable by all
      QuaZipFile file(&zip);
      if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_DEFAULT_COMPRESSION) ||
          file.write(e.data) != e.data.size()) {
        say(why, kPartNotWritten.arg(e.name));
        return std::nullopt;
      }
      file.close();
      if (file.getZipError() != ZIP_OK) {
        say(why, kPartNotWritten.arg(e.name));
        return std::nullopt;
      }
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK) {
      say(why, kDirectoryNotWritten);
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace vmk::xlsx
