// The zip container of a build without QuaZip (Windows): zlib alone.

#include "reports/zip_archive.h"
#include "reports/zlib_zip.h"

namespace vmk::xlsx {

std::optional<QList<ZipEntry>> readZip(const QByteArray& bytes, QString* why, const ZipLimits& limits) {
  return zlibzip::readZip(bytes, why, limits);
}

std::optional<QByteArray> writeZip(const QList<ZipEntry>& entries, QString* why, const QDateTime& stamp) {
  return zlibzip::writeZip(entries, why, stamp);
}

}  // namespace vmk::xlsx
