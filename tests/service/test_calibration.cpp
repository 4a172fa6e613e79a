// The calibration window's model against the simulated device in
// calibration mode: calibr.ini, the buttons' states, the reads with their
// confirmation and attempts, the coefficient rule and its colour, the
// writes, the automatic adjustment with its band, counters and report, and
// variant 3 with its live registers and coefficient slots.

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "extlib/memory_link.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"
#include "service/calibration_model.h"
#include "sim/device.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

namespace {

struct Fixture : DeviceFixture {
  QTemporaryDir dir;
  std::unique_ptr<CalibrationModel> model;
  QList<int> waits;

  explicit Fixture(int variant = 1, const QByteArray& calibrIni = {}) {
    add(1, variant);
    connectTo(1);
    session.vmk.DeviceVariant = std::int16_t(variant);
    calibration().setCalibrationMode(true);
    for (int p = 1; p <= 8; ++p) calibration().setGain(p, 1.0);
    if (!calibrIni.isEmpty()) {
      QFile f(dir.filePath(QStringLiteral("calibr.ini")));
      f.open(QIODevice::WriteOnly);
      f.write(calibrIni);
    }
    open(QLocale::c());
  }
  // The window as the service menu opens it.
  void open(const QLocale& locale) {
    CalibrationModel::Options o;
    o.programDir = dir.path() + QLatin1Char('/');
    o.messageCaption = QStringLiteral("Конфигуратор");
    o.locale = locale;
    o.wait = [this](int ms) { waits << ms; };
    model = std::make_unique<CalibrationModel>(session, prompts, o);
  }
  sim::Calibration& calibration() { return device(1).calibration(); }
  // Sets what point `p`'s channel shows as it stands (gain 1, nominal coefficient).
  void shows(int p, int value) { calibration().setInjection(p, value); }
  QList<QByteArray> calibrationRequests(int sub) const {
    QList<QByteArray> out;
    for (const QByteArray& r : plan.requestsOf(wire::kCalibration))
      if (std::uint8_t(r[2]) == sub) out << r;
    return out;
  }
  // Readings of the rig taken in turn, one per read request.
  void readingsInTurn(int p, QList<int> values) {
    auto queue = std::make_shared<QList<int>>(std::move(values));
    session.Port1.setLinkFactory([this, p, queue](const PortSettings&) {
      auto inner = std::make_unique<MemoryLink>([this, p, queue](const QByteArray& request) {
        const bool read = request.size() > 2 && std::uint8_t(request[1]) == wire::kCalibration &&
                          std::uint8_t(request[2]) == 2;
        if (read && !queue->isEmpty()) shows(p, queue->takeFirst());
        return bus.handle(request);
      });
      return std::make_unique<FaultLink>(std::move(inner), plan);
    });
  }
  CalibrationModel& m() { return *model; }
};

QStringList lastLines(const MessageLog& log, int n) { return log.lines().mid(log.lines().size() - n); }

}  // namespace

class TestCalibration : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void roundingHalfToEven_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("q");
    QTest::newRow("2.5") << 5 << 2 << 2;
    QTest::newRow("3.5") << 7 << 2 << 4;
    QTest::newRow("2.4") << 12 << 5 << 2;
    QTest::newRow("2.6") << 13 << 5 << 3;
    QTest::newRow("-2.5") << -5 << 2 << -2;
    QTest::newRow("-3.5") << -7 << 2 << -4;
    QTest::newRow("500 x 205 / 515") << 102500 << 515 << 199;
  }
  void roundingHalfToEven() {
    QFETCH(int, n);
    QFETCH(int, d);
    QFETCH(int, q);
    QCOMPARE(roundedQuotient(n, d), q);
  }

  void calibrIniAndDefaults() {
    Fixture f(1, "[VALUES]\n1=1000\n3=x\n[PRECISION]\n1=2\n8=5\n");
    QCOMPARE(f.m().RefValue(1), 1000);
    QCOMPARE(f.m().RefValue(2), 500);
    QCOMPARE(f.m().RefValue(3), 500);  // not a number
    QCOMPARE(f.m().Precision(1), 2);
    QCOMPARE(f.m().Precision(8), 5);
    QCOMPARE(f.m().Precision(4), 1);
    QCOMPARE(f.m().timeOut(), 50);
    QCOMPARE(f.m().k(), 205);
    QCOMPARE(f.m().CurrentPoint(), 0);
    QVERIFY(!f.m().AdjustActive());
    QCOMPARE(f.m().mode(), CalibrMode::Manual);
    // Until the mode changes the reference edits show 0.
    QCOMPARE(f.m().point(1).reference, 0);
    f.m().rgModeClick(CalibrMode::Automatic);
    QCOMPARE(f.m().point(1).reference, 1000);
    QCOMPARE(f.m().point(2).reference, 500);
  }

  void spinEditRanges() {
    Fixture f;
    f.m().seTimeOutChange(5);
    QCOMPARE(f.m().timeOut(), 15);
    f.m().seTimeOutChange(5000);
    QCOMPARE(f.m().timeOut(), 1000);
    f.m().seKChange(0);
    QCOMPARE(f.m().k(), 1);
    f.m().seChange(1, 70000);
    QCOMPARE(f.m().point(1).reference, 65535);
    f.m().seChange(2, 70000);
    QCOMPARE(f.m().point(2).reference, 70000);
  }

  void connectAndDisconnect() {
    Fixture f;
    QVERIFY(f.m().connectEnabled());
    f.m().btConnectClick();
    QVERIFY(f.m().AdjustActive());
    QCOMPARE(f.m().m.lines(), (QStringList{"Порт COM1 - открыт.", "Режим юстировки - активирован."}));
    QVERIFY(!f.m().connectEnabled());
    QVERIFY(f.m().disconnectEnabled());
    QVERIFY(f.portOpen());
    for (int p = 1; p <= 8; ++p) {
      QVERIFY(f.m().point(p).readEnabled);
      QVERIFY(!f.m().point(p).writeEnabled);
    }
    f.m().btDisconnectClick();
    QVERIFY(!f.portOpen());
    QVERIFY(!f.m().AdjustActive());
    QCOMPARE(f.m().m.lines().last(), QStringLiteral("Порт COM1 - закрыт."));
    QVERIFY(!f.m().point(1).readEnabled);
    QVERIFY(f.calibrationRequests(1).size() == 1);  // "Disconnect" sends nothing
  }

  // A device not in calibration mode answers without "w": five tries.
  void connectTriesFiveTimes() {
    Fixture f;
    f.calibration().setCalibrationMode(false);
    f.m().btConnectClick();
    QVERIFY(!f.m().AdjustActive());
    QCOMPARE(f.calibrationRequests(1).size(), 5);
    QCOMPARE(f.m().m.lines(), QStringList{"Порт COM1 - открыт."});
    QVERIFY(f.prompts.boxTexts().isEmpty());
  }

  void connectWithoutAnswer() {
    Fixture f;
    f.plan.fault = [](const QByteArray&) { return Fault::Silence; };
    f.m().btConnectClick();
    const QString text = QStringLiteral("Установка режима юстировки: Нет ответа от устройства...");
    QCOMPARE(f.m().m.lines(), (QStringList{"Порт COM1 - открыт.", text}));
    QCOMPARE(f.prompts.boxTexts(), QStringList{text});
    QCOMPARE(f.calibrationRequests(1).size(), 1);
  }

  void portThatDoesNotOpen() {
    Fixture f;
    f.plan.openError = QStringLiteral("нет порта");
    f.m().btConnectClick();
    QCOMPARE(f.m().m.lines(), QStringList{"Не могу открыть порт..."});
    QCOMPARE(f.prompts.boxTexts(), QStringList{"Не могу открыть порт..."});
    QVERIFY(f.m().connectEnabled());
  }

  void manualReadAndWrite() {
    Fixture f;
    f.shows(3, 515);
    f.m().btConnectClick();
    QCOMPARE(f.m().btrClick(3), 515);
    QCOMPARE(f.m().CurrentPoint(), 3);
    QCOMPARE(f.m().point(3).value, QStringLiteral("515"));
    QVERIFY(f.m().point(3).referenceEnabled);
    QVERIFY(!f.m().point(1).referenceEnabled);
    // The reference edit still shows 0: coefficient 0, the write disabled.
    QCOMPARE(f.m().point(3).coefficient, QStringLiteral("0"));
    QVERIFY(!f.m().point(3).writeEnabled);
    f.m().seChange(3, 500);
    QCOMPARE(f.m().point(3).coefficient, QStringLiteral("199"));
    QVERIFY(f.m().point(3).writeEnabled);
    f.m().seKChange(210);  // recomputes the chosen point
    QCOMPARE(f.m().point(3).coefficient, QStringLiteral("204"));
    f.m().btwClick(3);
    QCOMPARE(f.calibration().coefficient(3), 204);
    QCOMPARE(f.calibration().stores(), 1);
    QCOMPARE(f.waits, QList<int>{50});
    // Both reads went out: the value, then its confirmation with the value's bytes.
    const QByteArray confirm = f.calibrationRequests(4).value(0);
    QCOMPARE(int(std::uint8_t(confirm[5])), 3);
    QCOMPARE(int(std::uint8_t(confirm[6]) | std::uint8_t(confirm[7]) << 8), 515);
    // The reading follows the coefficient written.
    QCOMPARE(f.m().btrClick(3), int(std::lround(515.0 * 204 / 205)));
  }

  void coefficientColourAndWriteButton_data() {
    QTest::addColumn<int>("reference");
    QTest::addColumn<QString>("coefficient");
    QTest::addColumn<bool>("red");
    QTest::addColumn<bool>("writable");
    // The point reads 205: coefficient = reference x 205 / 205.
    QTest::newRow("255 red") << 255 << "255" << true << false;
    QTest::newRow("254 normal") << 254 << "254" << false << true;
    QTest::newRow("1") << 1 << "1" << false << true;
    QTest::newRow("0") << 0 << "0" << false << false;
  }
  void coefficientColourAndWriteButton() {
    QFETCH(int, reference);
    QFETCH(QString, coefficient);
    QFETCH(bool, red);
    QFETCH(bool, writable);
    Fixture f;
    f.shows(1, 205);
    f.m().btConnectClick();
    f.m().btrClick(1);
    f.m().seChange(1, reference);
    QCOMPARE(f.m().point(1).coefficient, coefficient);
    QCOMPARE(f.m().point(1).coefficientRed, red);
    QCOMPARE(f.m().point(1).writeEnabled, writable);
  }

  void zeroReadingGivesNoCoefficient() {
    Fixture f;
    f.shows(2, 0);
    f.m().btConnectClick();
    QCOMPARE(f.m().btrClick(2), 0);
    f.m().seChange(2, 500);
    QCOMPARE(f.m().point(2).coefficient, QStringLiteral("1000000"));
    QVERIFY(f.m().point(2).coefficientRed);
    QVERIFY(!f.m().point(2).writeEnabled);
  }

  // One byte goes to the device: a coefficient outside 1..254 is not sent.
  void coefficientOutOfRangeNotWritten() {
    Fixture f;
    f.shows(1, 0);
    f.m().btConnectClick();
    f.m().btrClick(1);
    QCOMPARE(f.m().point(1).coefficient, QStringLiteral("1000000"));
    f.forgetRequests();
    QVERIFY(!f.m().WriteCoefficient(1));
    QVERIFY(f.requests().isEmpty());
  }

  // Before any point was chosen a change of the factor recomputes nothing.
  void factorBeforeAnyPoint() {
    Fixture f;
    f.m().seKChange(300);
    QCOMPARE(f.m().k(), 300);
    for (int p = 1; p <= 8; ++p) QVERIFY(f.m().point(p).coefficient.isEmpty());
    QCOMPARE(f.m().CalcCoefficient(0), 0);
  }

  void readWithoutAnswer_data() {
    QTest::addColumn<int>("firstSilent");  // the request that finds the line silent
    QTest::addColumn<QString>("text");
    QTest::newRow("read 1") << 2 << "Чтение №1: Нет ответа от устройства...";
    QTest::newRow("read 2") << 3 << "Чтение №2: Нет ответа от устройства...";
  }
  void readWithoutAnswer() {
    QFETCH(int, firstSilent);
    QFETCH(QString, text);
    for (CalibrMode mode : {CalibrMode::Manual, CalibrMode::Automatic}) {
      Fixture f;
      f.m().btConnectClick();
      f.m().rgModeClick(mode);
      f.forgetRequests();
      f.plan.fault = silentFrom(firstSilent - 1, f.plan);
      QCOMPARE(f.m().ReadPointValue(1), -1);
      QVERIFY(f.m().point(1).value.isEmpty());
      QCOMPARE(f.m().point(1).coefficient, QStringLiteral("1000000"));
      if (mode == CalibrMode::Manual) {
        QCOMPARE(f.prompts.boxTexts(), QStringList{text});
        QCOMPARE(f.prompts.asked()[0].caption, QStringLiteral("Конфигуратор"));
      } else {
        QVERIFY(f.prompts.boxTexts().isEmpty());
        QCOMPARE(f.m().m.lines().last(), text);
      }
    }
  }

  // Replies that do not confirm: five attempts, then -1 without a message.
  void unconfirmedReadsGiveUp() {
    Fixture f;
    f.m().btConnectClick();
    f.forgetRequests();
    f.plan.fault = [](const QByteArray&) { return Fault::Refuse; };
    QCOMPARE(f.m().btrClick(1), -1);
    QCOMPARE(f.calibrationRequests(2).size(), 5);
    QVERIFY(f.calibrationRequests(4).isEmpty());
    QVERIFY(f.prompts.boxTexts().isEmpty());
  }

  void writeWithoutAnswer() {
    Fixture f;
    f.shows(1, 515);
    f.m().btConnectClick();
    f.m().btrClick(1);
    f.m().seChange(1, 500);
    f.plan.fault = [](const QByteArray&) { return Fault::Silence; };
    QVERIFY(!f.m().WriteCoefficient(1));
    QCOMPARE(f.prompts.boxTexts(), QStringList{"Запись: Нет ответа от устройства..."});
    QVERIFY(f.waits.isEmpty());
  }

  void automaticButtons() {
    Fixture f;
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    for (int p = 1; p <= 8; ++p) {
      QVERIFY(!f.m().point(p).readEnabled);
      QVERIFY(!f.m().point(p).referenceEnabled);
      QVERIFY(f.m().point(p).writeEnabled);
      QVERIFY(!f.m().point(p).pictureVisible);
    }
  }

  // Readings of 495 and 505 lie within 500 +- 1 %; 494 does not.
  void toleranceBand_data() {
    QTest::addColumn<int>("reading");
    QTest::addColumn<bool>("inside");
    QTest::newRow("495") << 495 << true;
    QTest::newRow("505") << 505 << true;
    QTest::newRow("494") << 494 << false;
    QTest::newRow("506") << 506 << false;
  }
  void toleranceBand() {
    QFETCH(int, reading);
    QFETCH(bool, inside);
    Fixture f;
    f.shows(1, reading);
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    f.m().btwClick(1);
    QCOMPARE(f.calibrationRequests(3).isEmpty(), inside);
    QCOMPARE(f.m().point(1).picture, 0);
    if (inside) {
      QCOMPARE(f.m().Deviation(1), 50);
      QCOMPARE(f.m().m.lines().last(), QStringLiteral("Среднее отклонение составляет: 5 (1%)"));
    }
  }

  void reportWithTheLocaleSeparator_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("line");
    QTest::newRow("C") << QLocale::c() << "Среднее отклонение составляет: 2.3 (0.46%)";
    QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia)
                             << "Среднее отклонение составляет: 2,3 (0,46%)";
  }
  void reportWithTheLocaleSeparator() {
    QFETCH(QLocale, locale);
    QFETCH(QString, line);
    Fixture f;
    f.open(locale);
    f.readingsInTurn(1, {502, 498, 502, 503, 502, 498, 502, 503, 502, 503});
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    QVERIFY(f.m().AutoAdjust(1));
    QCOMPARE(f.m().Deviation(1), 23);
    QCOMPARE(lastLines(f.m().m, 2),
             (QStringList{"Автоматическая настройка успешно завершена! (Точка №1)", line}));
    QVERIFY(f.m().point(1).pictureVisible);
  }

  void logOfAnAdjustment() {
    Fixture f;
    f.readingsInTurn(2, {515});  // 515 x 199 / 205 reads 500 after the write
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    f.m().btwClick(2);
    const QStringList& l = f.m().m.lines();
    QCOMPARE(l.mid(2, 9), (QStringList{
        "", "", "------ Автоматическая настройка (Точка №2) ------",
        "", "<- Тек. значение: 515  Коэффициент: 199 (0; 0)",
        "-> Записали в устройство... ",
        "", "<- Тек. значение: 500  Коэффициент: 205 (0; 1)",
        "-- Значение в доп. пределах. Отклонение: 0 i=1"}));
    QCOMPARE(f.calibration().coefficient(2), 199);
  }

  // A reference of 0 reports the mean deviation without a percentage.
  void zeroReferenceReport() {
    Fixture f(1, "[VALUES]\n4=0\n");
    f.shows(4, 0);
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    QVERIFY(f.m().AutoAdjust(4));
    QCOMPARE(f.m().m.lines().last(), QStringLiteral("Среднее отклонение составляет: 0"));
  }

  // A reading of 0 gives 1000000, written as 254; the loop gives up after 50 writes.
  void deadChannelFailsAfterFiftyWrites() {
    Fixture f;
    f.shows(6, 0);
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    f.m().btwClick(6);
    const QList<QByteArray> writes = f.calibrationRequests(3);
    QCOMPARE(writes.size(), 50);
    for (const QByteArray& w : writes) QCOMPARE(int(std::uint8_t(w[6])), 254);
    QCOMPARE(f.m().point(6).picture, 1);
    QVERIFY(f.m().point(6).pictureVisible);
    QCOMPARE(f.m().m.lines().last(),
             QStringLiteral("Не удалось настроить в автоматическом режиме! (Точка №6)"));
    QVERIFY(f.m().m.lines().contains(QStringLiteral("<- Тек. значение: 0  Коэффициент: 254 (0; 49)")));
  }

  void channelOutOfReachFails() {
    Fixture f;
    f.calibration().setGain(7, 0.5);  // would need a coefficient of 410
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    QVERIFY(!f.m().AutoAdjust(7));
    QCOMPARE(f.calibrationRequests(3).size(), 50);
    QCOMPARE(f.calibration().coefficient(7), 254);
  }

  void silentDeviceFailsAfterFiftyWrites() {
    Fixture f;
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    f.plan.fault = [](const QByteArray&) { return Fault::Silence; };
    QVERIFY(!f.m().AutoAdjust(1));
    QCOMPARE(f.m().m.lines().count(QStringLiteral("-> Записали в устройство... ")), 50);
    QVERIFY(f.prompts.boxTexts().isEmpty());
  }

  void everyPointConvergesOnVariant1() {
    Fixture f;
    const double gains[] = {1.03, 0.97, 1.012, 0.988, 1.034, 0.966, 1.0, 1.021};
    for (int p = 1; p <= 8; ++p) {
      f.calibration().setGain(p, gains[p - 1]);
      f.shows(p, 500);
    }
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    for (int p = 1; p <= 8; ++p) {
      QVERIFY2(f.m().AutoAdjust(p), qPrintable(QString::number(p)));
      QCOMPARE(f.m().point(p).picture, 0);
      QVERIFY(std::abs(f.calibration().measureInjection(p) - 500) <= 5);
    }
  }

  void variant3ShowsPhasesAAndC() {
    Fixture f(3);
    QList<int> shown;
    for (int p = 1; p <= 8; ++p)
      if (f.m().point(p).visible) shown << p;
    QCOMPARE(shown, (QList<int>{1, 3, 5, 7}));
    f.m().btConnectClick();
    QVERIFY(f.m().AdjustActive());
    QVERIFY(f.calibrationRequests(1).isEmpty());  // no adjustment-mode request
  }

  void variant3ReadsLiveAndWritesSlots() {
    Fixture f(3);
    f.calibration().setGain(3, 1.04);
    f.m().btConnectClick();
    QCOMPARE(f.m().btrClick(3), 520);
    const QList<Request> reads = f.registerRequests();
    QCOMPARE(reads.last(), (Request{3, 16, 21}));
    f.m().seChange(3, 500);
    QCOMPARE(f.m().point(3).coefficient, QStringLiteral("96"));  // 100 x 500 / 520
    QVERIFY(f.m().WriteCoefficient(3));
    const QByteArray w = f.plan.requestsOf(wire::kCalibration).last();
    QCOMPARE(w.mid(2, 6).toHex(), QByteArray("030710600000"));  // sub 3: 7, slot 16, 96
    QCOMPARE(f.calibration().coefficient(3), 96);
    QVERIFY(f.waits.isEmpty());
  }

  void variant3ReadWithoutAnswer() {
    for (CalibrMode mode : {CalibrMode::Manual, CalibrMode::Automatic}) {
      Fixture f(3);
      f.m().btConnectClick();
      f.m().rgModeClick(mode);
      f.plan.fault = [](const QByteArray&) { return Fault::Silence; };
      QCOMPARE(f.m().ReadPointValue(5), -1);
      QVERIFY(f.m().point(5).value.isEmpty());
      QCOMPARE(f.m().point(5).coefficient, QStringLiteral("1000000"));
      const QString text = QStringLiteral("Чтение №1: Нет ответа от устройства...");
      if (mode == CalibrMode::Manual) QCOMPARE(f.prompts.boxTexts(), QStringList{text});
      else QCOMPARE(f.m().m.lines().last(), text);
    }
  }

  void everyPointConvergesOnVariant3() {
    Fixture f(3);
    const double gains[] = {1.03, 0, 0.97, 0, 1.025, 0, 0.975};
    for (int p : {1, 3, 5, 7}) f.calibration().setGain(p, gains[p - 1]);
    f.m().btConnectClick();
    f.m().rgModeClick(CalibrMode::Automatic);
    for (int p : {1, 3, 5, 7}) {
      // The rig is switched to the range of the point.
      f.calibration().setUpperRange(p > 4);
      QVERIFY2(f.m().AutoAdjust(p), qPrintable(QString::number(p)));
      QVERIFY(std::abs(f.calibration().measureInjection(p) - 500) <= 5);
    }
    QCOMPARE(f.plan.requestsOf(wire::kReadHolding).size() >= 40, true);
  }
};

QTEST_GUILESS_MAIN(TestCalibration)
#include "test_calibration.moc"
