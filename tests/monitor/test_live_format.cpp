#include <QtTest>

#include "monitor/live_format.h"

using namespace vmk;

class TestLiveFormat : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void currentBySize_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("dotted");

    // Hundredths of an ampere, as the phase registers.
    QTest::newRow("250 secondary") << qint64(250) << 2 << "2.50 A";
    QTest::newRow("250 x ratio 40") << qint64(250 * 40) << 2 << "100.0 A";
    QTest::newRow("10001 x ratio 1") << qint64(10001) << 2 << "100 A";
    QTest::newRow("exactly 1 A") << qint64(100) << 2 << "1.000 A";
    QTest::newRow("exactly 10 A") << qint64(1000) << 2 << "10.00 A";
    QTest::newRow("exactly 100 A") << qint64(10000) << 2 << "100.0 A";
    QTest::newRow("just above 1 A") << qint64(101) << 2 << "1.01 A";
    QTest::newRow("just above 10 A") << qint64(1001) << 2 << "10.0 A";
    QTest::newRow("zero") << qint64(0) << 2 << "0.000 A";
    QTest::newRow("half to even down") << qint64(10050) << 2 << "100 A";
    QTest::newRow("half to even up") << qint64(10150) << 2 << "102 A";
    QTest::newRow("tenths half even") << qint64(1025) << 2 << "10.2 A";
    QTest::newRow("largest register x ratio") << qint64(65535) * 65535 << 2 << "42948362 A";
    // Milliamperes, as the earth registers.
    QTest::newRow("37 mA x ratio 3") << qint64(111) << 3 << "0.111 A";
    QTest::newRow("exactly 1 A in mA") << qint64(1000) << 3 << "1.000 A";
    QTest::newRow("12345 mA") << qint64(12345) << 3 << "12.3 A";
    QTest::newRow("150 A in mA") << qint64(150000) << 3 << "150 A";
  }

  void currentBySize() {
    QFETCH(qint64, units);
    QFETCH(int, scale);
    QFETCH(QString, dotted);
    QCOMPARE(formatCurrent(units, scale, QLocale::c()), dotted);
    QString comma = dotted;
    comma.replace(QLatin1Char('.'), QLatin1Char(','));
    QCOMPARE(formatCurrent(units, scale, QLocale(QLocale::Russian, QLocale::Russia)), comma);
  }

  void noGroupSeparators() {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    QCOMPARE(formatCurrent(123456, 2, ru), QStringLiteral("1235 A"));
    QCOMPARE(formatFixed(1234.5, 2, ru), QStringLiteral("1234,50"));
  }

  void decimalEntry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("russian");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("comma, ru") << "0,5" << true << true << 0.5;
    QTest::newRow("point, ru") << "0.5" << true << true << 0.5;
    QTest::newRow("point, C") << "0.5" << false << true << 0.5;
    QTest::newRow("comma, C") << "0,5" << false << false << 0.0;
    QTest::newRow("blanks") << " 5 " << true << true << 5.0;
    QTest::newRow("negative") << "-2" << true << true << -2.0;
    QTest::newRow("both separators") << "1.234,5" << true << false << 0.0;
    QTest::newRow("empty") << "" << true << false << 0.0;
    QTest::newRow("letters") << "пять" << true << false << 0.0;
    QTest::newRow("trailing junk") << "5с" << true << false << 0.0;
    QTest::newRow("inf") << "inf" << false << false << 0.0;
    QTest::newRow("nan") << "nan" << false << false << 0.0;
  }

  void decimalEntry() {
    QFETCH(QString, text);
    QFETCH(bool, russian);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const QLocale locale = russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c();
    const std::optional<double> got = parseDecimal(text, locale);
    QCOMPARE(got.has_value(), valid);
    if (valid) QCOMPARE(*got, value);
  }
};

QTEST_GUILESS_MAIN(TestLiveFormat)
#include "test_live_format.moc"
