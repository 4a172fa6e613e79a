// The traffic monitor on the protocol library: counts against a bus with
// known faults, the short decoding, the bounded store, pause, clear and
// the saved text.

#include <QTemporaryDir>
#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/memory_link.h"
#include "extlib/modbus_library.h"
#include "sim/bus.h"
#include "traffic/frame_text.h"
#include "traffic/traffic_monitor.h"

#if defined(__SANITIZE_ADDRESS__)
#define VMK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VMK_ASAN 1
#endif
#endif

using namespace vmk;
using traffic::TrafficMonitor;

namespace {

WireFrame request(std::uint8_t address, const QByteArray& hex) {
  WireFrame f;
  f.bytes = wire::withCrc(QByteArray::fromHex(hex));
  f.address = address;
  f.function = std::uint8_t(f.bytes[1]);
  return f;
}

WireFrame reply(const WireFrame& req, ReplyStatus status, qint64 us) {
  WireFrame f = req;
  f.direction = FrameDirection::Reply;
  f.status = status;
  f.responseUs = us;
  return f;
}

#ifndef VMK_ASAN
qint64 residentKb() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> parts = f.readAll().split(' ');
  return parts.size() > 1 ? parts[1].toLongLong() * 4 : -1;
}
#endif

}  // namespace

class TestTrafficMonitor : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Four addresses: 1 answers, 2 answers with every third reply spoilt in
  // its CRC, 3 is of variant 3 (its journal refused with an exception), 4
  // is absent.
  void countsMatchAKnownFaultyRun() {
    sim::Bus bus;
    bus.addDevice(1);
    bus.addDevice(2);
    bus.addDevice(3, 3);
    int toTwo = 0;
    MemoryLink link([&](const QByteArray& req) {
      QByteArray r = bus.handle(req);
      if (std::uint8_t(req[0]) == 2 && ++toTwo % 3 == 0) r[r.size() - 1] = char(r.back() ^ 0x5A);
      return r;
    });
    QVERIFY(link.open());
    ModbusLibrary lib;
    lib.SetTry(1);
    TrafficMonitor monitor;
    addFrameObserver(lib, &monitor);
    ReplyFrame r;
    constexpr int kRounds = 9;
    for (int i = 0; i < kRounds; ++i) {
      for (std::uint8_t a : {1, 2, 3, 4}) lib.SetQuery(link, a, 3, 0, 9, r);
      lib.GetEvent(link, 3, 0, r);
    }
    removeFrameObserver(lib, &monitor);
    lib.SetQuery(link, 1, 3, 0, 9, r);  // no longer observed

    const auto& c = monitor.counts();
    QCOMPARE(int(c.size()), 4);
    QCOMPARE(c.at(1).requests, kRounds);
    QCOMPARE(c.at(1).replies, kRounds);
    QCOMPARE(c.at(1).silences + c.at(1).crcErrors + c.at(1).exceptions, 0);
    QCOMPARE(c.at(2).requests, kRounds);
    QCOMPARE(c.at(2).crcErrors, kRounds / 3);
    QCOMPARE(c.at(2).replies, kRounds - kRounds / 3);
    QCOMPARE(c.at(3).requests, 2 * kRounds);
    QCOMPARE(c.at(3).replies, 2 * kRounds);
    QCOMPARE(c.at(3).exceptions, kRounds);
    QCOMPARE(c.at(4).requests, kRounds);
    QCOMPARE(c.at(4).silences, kRounds);
    QCOMPARE(c.at(4).replies, 0);
    // Times only of what arrived whole.
    QCOMPARE(c.at(1).latency.count(), kRounds);
    QCOMPARE(c.at(2).latency.count(), kRounds - kRounds / 3);
    QCOMPARE(c.at(4).latency.count(), 0);
    QVERIFY(c.at(1).latency.min() <= c.at(1).latency.median());
    QVERIFY(c.at(1).latency.median() <= c.at(1).latency.max());
    QVERIFY(TrafficMonitor::countColumns(c.at(4)).at(7).isEmpty());

    QCOMPARE(monitor.size(), 2 * 5 * kRounds);
    QStringList first = monitor.columns(0);
    QCOMPARE(first.at(1), QStringLiteral("запрос"));
    QCOMPARE(first.at(2), QStringLiteral("1"));
    QCOMPARE(first.at(3), QStringLiteral("чтение регистров"));
    QCOMPARE(first.at(4), QStringLiteral("чтение 9 регистров с 0"));
    QCOMPARE(first.at(5), QStringLiteral("8"));
    QCOMPARE(first.at(6), QStringLiteral("верна"));
    QVERIFY(first.at(7).isEmpty());
    const QStringList good = monitor.columns(1);
    QCOMPARE(good.at(1), QStringLiteral("ответ"));
    QCOMPARE(good.at(4), QStringLiteral("9 регистров"));
    QCOMPARE(good.at(5), QStringLiteral("23"));
    QVERIFY(!good.at(7).isEmpty());
    // Round 3 spoils address 2's reply (frames 4n: requests of round 2
    // start at 20, address 2's reply is frame 23).
    const QStringList spoilt = monitor.columns(23);
    QCOMPARE(spoilt.at(2), QStringLiteral("2"));
    QCOMPARE(spoilt.at(4), QStringLiteral("ошибка CRC"));
    QCOMPARE(spoilt.at(6), QStringLiteral("ошибка"));
    QCOMPARE(monitor.columns(7).at(4), QStringLiteral("нет ответа"));
    QCOMPARE(monitor.columns(7).at(5), QStringLiteral("0"));
    QCOMPARE(monitor.columns(8).at(4), QStringLiteral("запись 0 журнала событий"));
    QCOMPARE(monitor.columns(9).at(4), QStringLiteral("исключение 1"));
  }

  void decodesRequests_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("text");
    QTest::newRow("read") << QByteArray("010300000009") << "чтение 9 регистров с 0";
    QTest::newRow("read one") << QByteArray("010300400001") << "чтение 1 регистр с 64";
    QTest::newRow("read 23") << QByteArray("010300400017") << "чтение 23 регистра с 64";
    QTest::newRow("read 12") << QByteArray("01030090000c") << "чтение 12 регистров с 144";
    QTest::newRow("block") << QByteArray("0143030011") << "блок 17 осциллограммы 3";
    QTest::newRow("write") << QByteArray("010600410005") << "запись 5 в регистр 65";
    QTest::newRow("command") << QByteArray("01053000ff00") << "команда 0x3000";
    QTest::newRow("clock") << QByteArray("0110005400030611050910300f") << "часы 09.05.11 10:30:??";
    QTest::newRow("event") << QByteArray("014121") << "запись 33 журнала событий";
    QTest::newRow("alarms") << QByteArray("0142") << "чтение списка аварий";
    QTest::newRow("status") << QByteArray("0107") << "чтение статуса";
    // A frame cut short says what it cannot read.
    QTest::newRow("short read") << QByteArray("0103") << "чтение ? регистров с ?";
  }
  void decodesRequests() {
    QFETCH(QByteArray, hex);
    QFETCH(QString, text);
    QCOMPARE(traffic::decodeRequest(QByteArray::fromHex(hex)), text);
  }

  void namesUnknownFunctions() {
    QCOMPARE(traffic::functionName(0x2B), QStringLiteral("функция 0x2b"));
    QCOMPARE(traffic::functionName(0x83), QStringLiteral("чтение регистров"));
  }

  void medianIsWithinTwoPercent() {
    traffic::Latency l;
    QCOMPARE(l.median(), 0);
    for (int us : {4000, 4100, 4200, 9000, 250000}) l.add(us);
    QCOMPARE(l.min(), 4000);
    QCOMPARE(l.max(), 250000);
    QVERIFY2(qAbs(l.median() - 4200) <= 84, qPrintable(QString::number(l.median())));
    l.add(-1);  // a silence has no time
    QCOMPARE(l.count(), 5);
  }

  // A day of refreshing: the store keeps its capacity, the counts go on.
  void storeStaysBoundedAfterAHundredThousandFrames() {
    TrafficMonitor monitor;
    const WireFrame req = request(1, "010300100016");
    WireFrame rep = reply(req, ReplyStatus::Ok, 3000);
    rep.bytes = QByteArray(49, '\x01');
#ifndef VMK_ASAN
    qint64 before = 0;
#endif
    for (int i = 0; i < 200000; ++i) {
      monitor.frameSeen(i % 2 ? rep : req);
#ifndef VMK_ASAN
      if (i == 100000) before = residentKb();
#endif
    }
    QCOMPARE(monitor.size(), TrafficMonitor::kDefaultCapacity);
    QCOMPARE(monitor.dropped(), 200000 - TrafficMonitor::kDefaultCapacity);
    QCOMPARE(monitor.counts().at(1).requests, 100000);
    QCOMPARE(monitor.counts().at(1).replies, 100000);
#ifndef VMK_ASAN
    // The second hundred thousand frames grew nothing.
    const qint64 growth = residentKb() - before;
    QVERIFY2(growth < 1024, qPrintable(QStringLiteral("%1 KB").arg(growth)));
#endif
    // A babbling line's bytes are cut to one frame's worth.
    WireFrame babble = rep;
    babble.bytes = QByteArray(1024, '\x55');
    monitor.frameSeen(babble);
    QCOMPARE(monitor.frame(monitor.size() - 1).bytes.size(), 256);
  }

  void pauseClearAndSave() {
    TrafficMonitor monitor(10);
    const WireFrame req = request(5, "0543000001");
    monitor.frameSeen(req);
    monitor.setPaused(true);
    monitor.frameSeen(reply(req, ReplyStatus::NoAnswer, -1));
    QCOMPARE(monitor.size(), 1);
    QCOMPARE(monitor.missed(), 1);
    monitor.setPaused(false);
    monitor.frameSeen(reply(req, ReplyStatus::BadCrc, 12000));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("обмен.txt"));
    QString error;
    QVERIFY(monitor.saveText(path, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0), TrafficMonitor::header().join(QLatin1Char('\t')));
    QVERIFY(lines.at(1).contains(QStringLiteral("\tблок 1 осциллограммы 0\t")));
    QVERIFY(lines.at(2).contains(QStringLiteral("\tошибка CRC\t")));
    QCOMPARE(lines.at(5), QStringLiteral("5\t1\t0\t0\t1\t0\t0\t\t\t"));
    QVERIFY(lines.contains(QStringLiteral("Кадров пропущено при паузе: 1")));
    QVERIFY(!monitor.saveText(dir.filePath(QStringLiteral("нет/такой/папки.txt")), &error));
    QVERIFY(!error.isEmpty());

    const quint64 v = monitor.version();
    monitor.clear();
    QVERIFY(monitor.version() != v);
    QCOMPARE(monitor.size(), 0);
    QVERIFY(monitor.counts().empty());
    QCOMPARE(monitor.missed(), 0);
  }

  // An observer that leaves while it is told does not upset the others.
  void observersMayLeaveWhileTold() {
    MemoryLink link([](const QByteArray&) { return QByteArray(); });
    QVERIFY(link.open());
    ModbusLibrary lib;
    lib.SetTry(1);
    TrafficMonitor monitor;
    struct Leaver : FrameObserver {
      ModbusLibrary* lib = nullptr;
      int seen = 0;
      void frameSeen(const WireFrame&) override {
        ++seen;
        removeFrameObserver(*lib, this);
      }
    } leaver;
    leaver.lib = &lib;
    addFrameObserver(lib, &leaver);
    addFrameObserver(lib, &monitor);
    addFrameObserver(lib, &monitor);
    ReplyFrame r;
    lib.GetF07(link, 7);
    QCOMPARE(leaver.seen, 1);
    QCOMPARE(monitor.size(), 2);
    QCOMPARE(monitor.counts().at(7).silences, 1);
  }
};

QTEST_GUILESS_MAIN(TestTrafficMonitor)
#include "test_traffic_monitor.moc"
