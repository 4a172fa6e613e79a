#pragma once
// The two zip containers of the reports: the build's own (QuaZip on Linux)
// and the zlib one the Windows build uses. Zip tests run over both.

#include <QtTest>
#include <array>

#include "reports/zip_archive.h"
#include "reports/zlib_zip.h"

namespace vmk::test {

struct ZipImpl {
  const char* name;
  std::optional<QList<xlsx::ZipEntry>> (*read)(const QByteArray&, QString*, const xlsx::ZipLimits&);
  std::optional<QByteArray> (*write)(const QList<xlsx::ZipEntry>&, QString*, const QDateTime&);
};

inline const std::array<ZipImpl, 2> kZipImpls{{
    {"build's", &xlsx::readZip, &xlsx::writeZip},
    {"zlib", &xlsx::zlibzip::readZip, &xlsx::zlibzip::writeZip},
}};

// A column "impl" with a row for each container.
inline void addZipImplRows() {
  QTest::addColumn<int>("impl");
  for (int i = 0; i < int(kZipImpls.size()); ++i) QTest::newRow(kZipImpls[i].name) << i;
}

}  // namespace vmk::test
