#include "reports/zlib_zip.h"

#include <QtEndian>
#include <algorithm>
#include <zlib.h>

#include "reports/messages.h"

namespace vmk::xlsx::zlibzip {

using namespace msg::reports::zip;

namespace {

constexpr quint32 kLocalSig = 0x04034b50;
constexpr quint32 kCentralSig = 0x02014b50;
constexpr quint32 kEndSig = 0x06054b50;
constexpr int kLocalSize = 30;
constexpr int kCentralSize = 46;
constexpr int kEndSize = 22;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;
constexpr quint16 kFlagEncrypted = 0x0001;

void say(QString* why, const QString& text) {
  if (why) *why = text;
}

// Little-endian fields of the untrusted bytes, read only where the caller
// has checked that they lie inside.
quint16 u16(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 u32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

void put16(QByteArray& b, quint16 v) {
  char c[2];
  qToLittleEndian(v, c);
  b.append(c, 2);
}
void put32(QByteArray& b, quint32 v) {
  char c[4];
  qToLittleEndian(v, c);
  b.append(c, 4);
}

// The end-of-directory record: the last one whose comment reaches exactly
// to the end of the bytes. -1 when there is none.
qsizetype findEnd(const QByteArray& b) {
  const qsizetype last = b.size() - kEndSize;
  for (qsizetype at = last; at >= 0 && at >= last - 0xFFFF; --at)
    if (u32(b, at) == kEndSig && at + kEndSize + u16(b, at + 20) == b.size()) return at;
  return -1;
}

// Inflates a raw deflate stream that must unpack to exactly `size` bytes;
// `budget` is what the limit still allows. Nothing when the stream is
// damaged, ends elsewhere or goes beyond the budget (`overBudget` then).
std::optional<QByteArray> inflateRaw(QByteArrayView packed, qint64 size, qint64 budget, bool* overBudget) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
  QByteArray out;
  char chunk[16384];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = uInt(packed.size());
  // Ends on the stream's end, on damage, or when the packed bytes end first.
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    const qsizetype n = qsizetype(sizeof chunk - z.avail_out);
    // The size the directory states is not trusted: the count is.
    if (out.size() + n > budget) {
      *overBudget = true;
      inflateEnd(&z);
      return std::nullopt;
    }
    out.append(chunk, n);
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END || out.size() != size) return std::nullopt;
  return out;
}

// The DOS date and time of a zip entry.
quint16 dosTime(const QTime& t) { return quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2)); }
quint16 dosDate(const QDate& d) {
  const int year = std::clamp(d.year(), 1980, 2107);
  return quint16(((year - 1980) << 9) | (d.month() << 5) | d.day());
}

// The packed bytes, and whether zlib took the data for text (the zip
// directory's "internal attributes" say so, as the QuaZip writer's do).
struct Packed {
  QByteArray bytes;
  bool text = false;
};

std::optional<Packed> deflateRaw(const QByteArray& data) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return std::nullopt;
  QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(qsizetype(z.total_out));
  const bool text = z.data_type == Z_TEXT;
  deflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return Packed{out, text};
}

}  // namespace

std::optional<QList<ZipEntry>> readZip(const QByteArray& bytes, QString* why, const ZipLimits& limits) {
  const qsizetype end = bytes.size() >= kEndSize ? findEnd(bytes) : -1;
  if (end < 0) {
    say(why, kNotZip);
    return std::nullopt;
  }
  const quint16 count = u16(bytes, end + 10);
  const quint32 dirSize = u32(bytes, end + 12);
  const quint32 dirAt = u32(bytes, end + 16);
  // One disk only; 0xFFFF and 0xFFFFFFFF point to zip64 records.
  if (u16(bytes, end + 4) != 0 || u16(bytes, end + 6) != 0 || u16(bytes, end + 8) != count ||
      count == 0xFFFF || dirAt == 0xFFFFFFFF || qint64(dirAt) + dirSize > end) {
    say(why, kDirectoryDamaged);
    return std::nullopt;
  }
  QList<ZipEntry> entries;
  qint64 total = 0;
  qsizetype at = dirAt;
  for (int i = 0; i < count; ++i) {
    if (entries.size() >= limits.maxEntries) {
      say(why, kTooManyParts);
      return std::nullopt;
    }
    if (at + kCentralSize > end || u32(bytes, at) != kCentralSig) {
      say(why, kDirectoryDamaged);
      return std::nullopt;
    }
    const quint16 flags = u16(bytes, at + 8);
    const quint16 method = u16(bytes, at + 10);
    const quint32 crc = u32(bytes, at + 16);
    const quint32 packedSize = u32(bytes, at + 20);
    const quint32 size = u32(bytes, at + 24);
    const quint16 nameLength = u16(bytes, at + 28);
    const qsizetype entryLength = kCentralSize + nameLength + u16(bytes, at + 30) + u16(bytes, at + 32);
    const quint32 localAt = u32(bytes, at + 42);
    if (at + entryLength > end) {
      say(why, kDirectoryDamaged);
      return std::nullopt;
    }
    const QByteArray rawName = bytes.mid(at + kCentralSize, nameLength);
    at += entryLength;
    // UTF-8 with or without the flag that says so, as QuaZip reads names
    // on Linux; workbook part names are ASCII anyway.
    const QString name = QString::fromUtf8(rawName);
    if (name.isEmpty()) {
      say(why, kNamelessPart);
      return std::nullopt;
    }
    if (rawName.contains('\0')) {
      say(why, kNulInName);
      return std::nullopt;
    }
    if (name.endsWith(QLatin1Char('/'))) continue;
    if ((flags & kFlagEncrypted) || (method != kStored && method != kDeflated) || packedSize == 0xFFFFFFFF ||
        size == 0xFFFFFFFF || qint64(localAt) + kLocalSize > bytes.size() || u32(bytes, localAt) != kLocalSig) {
      say(why, kPartUnreadable.arg(name));
      return std::nullopt;
    }
    const qint64 dataAt = qint64(localAt) + kLocalSize + u16(bytes, localAt + 26) + u16(bytes, localAt + 28);
    if (dataAt + packedSize > bytes.size()) {
      say(why, kPartDamaged.arg(name));
      return std::nullopt;
    }
    const QByteArrayView packed(bytes.constData() + dataAt, packedSize);
    const qint64 budget = limits.maxUnpacked - total;
    bool overBudget = false;
    std::optional<QByteArray> data;
    if (method == kStored) {
      overBudget = packed.size() > budget;
      if (!overBudget && packedSize == size) data = packed.toByteArray();
    } else {
      data = inflateRaw(packed, size, budget, &overBudget);
    }
    if (overBudget) {
      say(why, kTooLarge.arg(limits.maxUnpacked));
      return std::nullopt;
    }
    if (!data || crc32(0, reinterpret_cast<const Bytef*>(data->constData()), uInt(data->size())) != crc) {
      say(why, kPartDamaged.arg(name));
      return std::nullopt;
    }
    total += data->size();
    entries.append({name, *data});
  }
  return entries;
}

std::optional<QByteArray> writeZip(const QList<ZipEntry>& entries, QString* why, const QDateTime& stamp) {
  const QDateTime when = stamp.isValid() ? stamp : QDateTime::currentDateTime();
  const quint16 time = dosTime(when.time());
  const quint16 date = dosDate(when.date());
  QByteArray zip;
  QByteArray directory;
  if (entries.size() >= 0xFFFF) {
    say(why, kNotCreated);
    return std::nullopt;
  }
  for (const ZipEntry& e : entries) {
    const QByteArray name = e.name.toUtf8();
    std::optional<Packed> packed;
    if (!e.name.isEmpty() && !e.name.contains(QChar(0)) && name.size() <= 0xFFFF && e.data.size() < 0xFFFFFFFF)
      packed = deflateRaw(e.data);
    // No zip64: every offset and size must fit 32 bits.
    if (!packed || zip.size() + kLocalSize + name.size() + packed->bytes.size() >= 0xFFFFFFFF) {
      say(why, kPartNotWritten.arg(e.name));
      return std::nullopt;
    }
    const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.constData()), uInt(e.data.size()));
    // Names in UTF-8 without the flag that says so, as the QuaZip writer
    // writes them; workbook part names are ASCII.
    const quint16 flags = 0;
    const quint32 localAt = quint32(zip.size());
    put32(zip, kLocalSig);
    put16(zip, 20);  // version needed: deflate
    put16(zip, flags);
    put16(zip, kDeflated);
    put16(zip, time);
    put16(zip, date);
    put32(zip, crc);
    put32(zip, quint32(packed->bytes.size()));
    put32(zip, quint32(e.data.size()));
    put16(zip, quint16(name.size()));
    put16(zip, 0);
    zip += name;
    zip += packed->bytes;

    put32(directory, kCentralSig);
    put16(directory, 0x031E);  // made by Unix, zip 3.0: the attributes below are Unix ones
    put16(directory, 20);
    put16(directory, flags);
    put16(directory, kDeflated);
    put16(directory, time);
    put16(directory, date);
    put32(directory, crc);
    put32(directory, quint32(packed->bytes.size()));
    put32(directory, quint32(e.data.size()));
    put16(directory, quint16(name.size()));
    put16(directory, 0);  // extra
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, packed->text ? 1 : 0);  // internal attributes: text
    put32(directory, 0644u << 16);  // a plain file, readable by all
    put32(directory, localAt);
    directory += name;
  }
  if (zip.size() + directory.size() + kEndSize >= 0xFFFFFFFF) {
    say(why, kDirectoryNotWritten);
    return std::nullopt;
  }
  const quint32 dirAt = quint32(zip.size());
  zip += directory;
  put32(zip, kEndSig);
  put16(zip, 0);
  put16(zip, 0);
  put16(zip, quint16(entries.size()));
  put16(zip, quint16(entries.size()));
  put32(zip, quint32(directory.size()));
  put32(zip, dirAt);
  put16(zip, 0);
  return zip;
}

}  // namespace vmk::xlsx::zlibzip
