#pragma once
// The zip container of a workbook, held in memory: read from untrusted
// bytes with limits on entry count and unpacked size, written back entry by
// entry in the plain form spreadsheet programs read (deflated, no data
// descriptors, no zip64 records).

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace vmk::xlsx {

struct ZipEntry {
  QString name;  // "xl/worksheets/sheet1.xml"
  QByteArray data;
  bool operator==(const ZipEntry&) const = default;
};

struct ZipLimits {
  int maxEntries = 4096;
  qint64 maxUnpacked = 64 * 1024 * 1024;  // all entries together
};

// The entries in archive order, directories left out; nothing when the
// bytes are no readable zip archive or go beyond the limits (`why` says
// which).
std::optional<QList<ZipEntry>> readZip(const QByteArray& bytes, QString* why = nullptr,
                                       const ZipLimits& limits = {});

// The archive of `entries` in the order given, each stamped `stamp` (now
// when invalid); nothing when the zip writer fails.
std::optional<QByteArray> writeZip(const QList<ZipEntry>& entries, QString* why = nullptr,
                                   const QDateTime& stamp = {});

}  // namespace vmk::xlsx
