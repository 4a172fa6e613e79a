#pragma once
// The workbook's zip container over zlib alone: readZip and writeZip of
// zip_archive.h for a build without QuaZip (Windows). The Linux build has
// it too, so that the tests hold the two against each other. It reads
// stored and deflated entries and refuses zip64 records, encrypted entries
// and every other method; it writes what the QuaZip writer writes.

#include "reports/zip_archive.h"

namespace vmk::xlsx::zlibzip {

std::optional<QList<ZipEntry>> readZip(const QByteArray& bytes, QString* why = nullptr,
                                       const ZipLimits& limits = {});

std::optional<QByteArray> writeZip(const QList<ZipEntry>& entries, QString* why = nullptr,
                                   const QDateTime& stamp = {});

}  // namespace vmk::xlsx::zlibzip
