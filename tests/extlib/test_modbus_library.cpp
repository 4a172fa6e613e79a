#include <QElapsedTimer>
#include <QThread>
#include <QtTest>
#include <utility>
#include <functional>

#include "extlib/crc16.h"
#include "extlib/frame_log.h"
#include "extlib/memory_link.h"
#include "extlib/modbus_library.h"
#include "extlib/transport_error.h"

using namespace vmk;

Q_DECLARE_METATYPE(ReplyStatus)

namespace {

using Call = std::function<void(ModbusLibrary&, SerialLink&)>;

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// One register read at address 1 (a good reply is 7 bytes).
ReplyFrame readOne(ModbusLibrary& lib, MemoryLink& link) {
  ReplyFrame r;
  lib.SetQuery(link, 1, 3, 0x0000, 1, r);
  return r;
}

QStringList g_log;
void captureLog(QtMsgType, const QMessageLogContext& context, const QString& text) {
  if (QByteArray(context.category) == "vmk.proto.frames") g_log << text;
}

// A line whose reader is held up (a busy machine): every wait for bytes
// overruns by far, while the reply has long arrived.
class StalledLink : public SerialLink {
 public:
  explicit StalledLink(QByteArray reply) : m_reply(std::move(reply)) {}
  bool open() override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  QString errorString() const override { return {}; }
  void write(const QByteArray&) override {}
  QByteArray read(int timeoutMs) override {
    if (timeoutMs > 0) {
      QThread::msleep(std::uint64_t(timeoutMs) + 80);
      return {};
    }
    return std::exchange(m_reply, QByteArray());
  }
  void discardInput() override {}

 private:
  QByteArray m_reply;
};

}  // namespace

class TestModbusLibrary : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void requestsOnTheWire_data() {
    QTest::addColumn<Call>("call");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("GetF07") << Call([](ModbusLibrary& m, SerialLink& l) { m.GetF07(l, 1); })
                            << hex("010741e2");
    QTest::newRow("SetQuery identity") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.SetQuery(l, 1, 3, 0, 9, r); }) << hex("01030000000985cc");
    QTest::newRow("SetQuery setup at 5") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.SetQuery(l, 5, 3, 64, 23, r); }) << hex("0503004000170594");
    QTest::newRow("WriteWord") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.WriteWord(l, 1, 0x40, 5, r); }) << hex("010600400005481d");
    QTest::newRow("SendCommand") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.SendCommand(l, 1, 0x3000, r); }) << hex("01053000ff00833a");
    QTest::newRow("SetRealDateTime") << Call([](ModbusLibrary& m, SerialLink& l) {
      m.SetRealDateTime(l, 1, QDateTime(QDate(2010, 12, 24), QTime(13, 45))); })
                                     << hex("01100054000306101224134500d722");
    QTest::newRow("func18h") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.func18h(l, 1, 1, 0, 0, r); }) << hex("0118010000000035d8");
    QTest::newRow("func18h words") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.func18h(l, 2, 4, 0x1234, 0xFFFF, r); }) << hex("0218041234ffff8fde");
    QTest::newRow("func19h") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.func19h(l, 1, 2, 4, 8, 3, 0, 0, r); }) << hex("01190204080300000b44");
    QTest::newRow("func1903h") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.func1903h(l, 1, 7, 16, 200, 0, r); }) << hex("0119030710c8000039cb");
    QTest::newRow("GetEvent") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.GetEvent(l, 1, 33, r); }) << hex("014121d048");
    QTest::newRow("Getinterruption") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.Getinterruption(l, 1, r); }) << hex("01428011");
    QTest::newRow("GetBLockInterruption") << Call([](ModbusLibrary& m, SerialLink& l) {
      ReplyFrame r; m.GetBLockInterruption(l, 1, 2, 249, r); }) << hex("01430200f96dc6");
  }
  void requestsOnTheWire() {
    QFETCH(Call, call);
    QFETCH(QByteArray, request);
    MemoryLink link;  // silent
    QVERIFY(link.open());
    ModbusLibrary lib;
    lib.SetTry(1);
    call(lib, link);
    QCOMPARE(link.requests().size(), 1);
    QCOMPARE(link.requests().first().toHex(), request.toHex());
    QCOMPARE(lib.lastStatus(), ReplyStatus::NoAnswer);
  }

  void repliesToARegisterRead_data() {
    QTest::addColumn<QByteArray>("arrives");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QByteArray>("frame");  // what the caller gets
    QTest::addColumn<ReplyStatus>("status");
    const QByteArray good = hex("0103021234b533");
    QTest::newRow("good") << good << 0 << good << ReplyStatus::Ok;
    QTest::newRow("good byte by byte") << good << 1 << good << ReplyStatus::Ok;
    QTest::newRow("exception") << hex("018302c0f1") << 0 << hex("018302c0f1") << ReplyStatus::Exception;
    QTest::newRow("short") << good.left(5) << 0 << QByteArray() << ReplyStatus::Truncated;
    QTest::newRow("bad CRC") << hex("0103021234b534") << 0 << QByteArray() << ReplyStatus::BadCrc;
    QTest::newRow("wrong address") << hex("0203021234f133") << 0 << QByteArray() << ReplyStatus::WrongAddress;
    QTest::newRow("wrong function") << hex("0104021234b447") << 0 << QByteArray() << ReplyStatus::WrongFunction;
    QTest::newRow("garbage before") << hex("ff00") + good << 0 << good << ReplyStatus::Ok;
    QTest::newRow("garbage that looks like a reply") << hex("010302") + good << 2 << good << ReplyStatus::Ok;
    QTest::newRow("false exception start") << hex("0183") + good << 0 << good << ReplyStatus::Ok;
    QTest::newRow("bytes after the reply") << good + hex("0000") << 0 << good << ReplyStatus::Ok;
    // The reply to the previous read, late, just before this one's.
    QTest::newRow("late reply before") << hex("010302567887c6") + good << 0 << good << ReplyStatus::Ok;
    QTest::newRow("silence") << QByteArray() << 0 << QByteArray() << ReplyStatus::NoAnswer;
  }
  void repliesToARegisterRead() {
    QFETCH(QByteArray, arrives);
    QFETCH(int, chunk);
    QFETCH(QByteArray, frame);
    QFETCH(ReplyStatus, status);
    MemoryLink link;
    link.open();
    link.setChunkSize(chunk);
    link.scriptReply(arrives);
    ModbusLibrary lib;
    lib.SetTry(2);
    const ReplyFrame r = readOne(lib, link);
    QCOMPARE(r.frame().toHex(), frame.toHex());
    QCOMPARE(r.length(), int(frame.size()));
    QCOMPARE(lib.lastStatus(), status);
  }

  void lateBytesOfAnEarlierReplyAreDiscarded() {
    MemoryLink link;
    link.open();
    ModbusLibrary lib;
    lib.SetTry(1);
    // The reply to an earlier read arrives after its time-out ...
    link.injectInput(hex("0103021234b533"));
    // ... and must not be taken for the reply to this one.
    ReplyFrame r = readOne(lib, link);
    QVERIFY(r.isEmpty());
    QCOMPARE(lib.lastStatus(), ReplyStatus::NoAnswer);
    QCOMPARE(link.discardCount(), 1);
  }

  void exceptionsDoNotLookLikeSuccess() {
    MemoryLink link;
    link.open();
    ModbusLibrary lib;
    ReplyFrame r;
    link.scriptReply(hex("018603") + QByteArray::fromHex("0261"));
    lib.WriteWord(link, 1, 0x10, 1, r);
    QVERIFY2(r.isEmpty(), "a refused write has an empty reply");
    QCOMPARE(lib.lastStatus(), ReplyStatus::Exception);

    link.scriptReply(wire::withCrc(hex("019801")));
    lib.func18h(link, 1, 9, 0, 0, r);
    QVERIFY(r.isEmpty());

    link.scriptReply(wire::withCrc(hex("018501")));
    lib.SendCommand(link, 1, 0x3000, r);
    QCOMPARE(r.length(), 5);
    QCOMPARE(int(r.frameByte(1)), 0x85);

    link.scriptReply(wire::withCrc(hex("019003")));
    QVERIFY(!lib.SetRealDateTime(link, 1, QDateTime(QDate(2010, 12, 24), QTime(13, 45))));
  }

  void goodAnswersOfTheOtherCalls() {
    MemoryLink link;
    link.open();
    ModbusLibrary lib;
    ReplyFrame r;

    link.scriptReply(hex("0107036231"));
    QCOMPARE(lib.GetF07(link, 1), 3);
    link.scriptReply(wire::withCrc(hex("018701")));
    QCOMPARE(lib.GetF07(link, 1), int(ModbusLibrary::kNoAnswer));
    lib.SetTry(1);
    QCOMPARE(lib.GetF07(link, 1), int(ModbusLibrary::kNoAnswer));

    link.scriptReply(hex("010600400005481d"));
    lib.WriteWord(link, 1, 0x40, 5, r);
    QCOMPARE(r.length(), 8);

    link.scriptReply(hex("01053000ff00833a"));
    lib.SendCommand(link, 1, 0x3000, r);
    QCOMPARE(int(r.frameByte(2)), 0x30);
    QCOMPARE(int(r.frameByte(4)), 0xFF);

    link.scriptReply(hex("011000540003c1d8"));
    QVERIFY(lib.SetRealDateTime(link, 1, QDateTime(QDate(2010, 12, 24), QTime(13, 45))));
    QVERIFY(!lib.SetRealDateTime(link, 1, QDateTime()));
    QCOMPARE(link.requests().size(), 6);  // the invalid moment sent nothing

    link.scriptReply(hex("01181234ffe9e5"));
    lib.func18h(link, 1, 1, 0, 0, r);
    QCOMPARE(r.length(), 7);
    QCOMPARE(int(r.frameByte(2)), 0x12);
    QCOMPARE(int(r.frameByte(4)), 0xFF);

    QByteArray calib = hex("0119020e00040803000000000000770203e8");
    link.scriptReply(wire::withCrc(calib));
    lib.func19h(link, 1, 2, 4, 8, 3, 0, 0, r);
    QCOMPARE(r.length(), 20);
    QCOMPARE(int(r.frameByte(14)), 119);

    QByteArray event = hex("014105001012241345000a3201000100003f");
    link.scriptReply(wire::withCrc(event));
    lib.GetEvent(link, 1, 5, r);
    QCOMPARE(r.length(), 20);

    QByteArray alarms = hex("0142000f96") + QByteArray(150, char(0xFF));
    link.scriptReply(wire::withCrc(alarms));
    lib.Getinterruption(link, 1, r);
    QCOMPARE(r.length(), 157);
    QCOMPARE(int(r.frameByte(4)), 150);

    QByteArray block = hex("0143f200f9") + QByteArray(240, char(0x11));
    link.scriptReply(wire::withCrc(block));
    link.setChunkSize(16);
    lib.GetBLockInterruption(link, 1, 2, 249, r);
    QCOMPARE(r.length(), 247);
    QCOMPARE(int(r.frameByte(4)), 0xF9);
  }

  void timeOutSetting() {
    ModbusLibrary lib;
    QCOMPARE(lib.GetTry(), 10);
    QCOMPARE(lib.SetTry(0), 1);
    QCOMPARE(lib.SetTry(999), 255);
    QCOMPARE(lib.SetTry(37), 37);
    QCOMPARE(lib.GetTry(), 37);
  }

  void silenceLastsTheTimeOut() {
    MemoryLink link;
    link.open();
    ModbusLibrary lib;
    lib.SetTry(5);
    QElapsedTimer t;
    t.start();
    readOne(lib, link);
    QVERIFY(t.elapsed() >= 50);
    QVERIFY2(t.elapsed() < 2000, "the wait ends with the time-out");
  }

  void aReplyThatArrivedWhileTheReaderWasHeldUpIsTaken() {
    StalledLink link(wire::withCrc(hex("0103020102")));
    ModbusLibrary lib;
    lib.SetTry(1);
    ReplyFrame r;
    lib.SetQuery(link, 1, 3, 0, 1, r);
    QCOMPARE(r.length(), 7);
    QCOMPARE(lib.lastStatus(), ReplyStatus::Ok);
  }

  void portFailuresThrow() {
    MemoryLink link;
    ModbusLibrary lib;
    ReplyFrame r;
    QVERIFY_THROWS_EXCEPTION(TransportError, lib.SetQuery(link, 1, 3, 0, 1, r));  // not open
    link.open();
    link.setBroken(true);
    QVERIFY_THROWS_EXCEPTION(TransportError, lib.GetF07(link, 1));
  }

  void binToInt() {
    QCOMPARE(ModbusLibrary::BinToInt(QStringLiteral("101")), 5u);
    QCOMPARE(ModbusLibrary::BinToInt(QString()), 0u);
    QCOMPARE(ModbusLibrary::BinToInt(QStringLiteral("1x1")), 5u);
    QCOMPARE(ModbusLibrary::BinToInt(QString(32, QLatin1Char('1'))), 0xFFFFFFFFu);
  }

  void frameLogShowsBothDirections() {
    QLoggingCategory::setFilterRules(QStringLiteral("vmk.proto.frames.debug=true"));
    g_log.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    MemoryLink link;
    link.open();
    link.scriptReply(hex("0107036231"));
    ModbusLibrary lib;
    lib.GetF07(link, 1);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QStringLiteral("vmk.proto.frames.debug=false"));
    QCOMPARE(g_log.size(), 2);
    QVERIFY2(g_log[0].contains(QLatin1String("-> 01 07 41 e2")), qPrintable(g_log[0]));
    QVERIFY2(g_log[1].contains(QLatin1String("<- 01 07 03 62 31 ok")), qPrintable(g_log[1]));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ")).match(g_log[0]).hasMatch());
  }
};

QTEST_GUILESS_MAIN(TestModbusLibrary)
#include "test_modbus_library.moc"
