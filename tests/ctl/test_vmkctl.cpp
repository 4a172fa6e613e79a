// vmkctl as a process against vmksim on a pseudo-terminal: what a script
// that commissions many relays sees.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "device/device_client.h"
#include "device/session.h"
#include "tests/system/sim_process.h"

using vmk::test::Run;
using vmk::test::SimProcess;

namespace {

// Runs vmkctl in `dir` (so that its Front.ini/Rear.ini are those of the
// build folder, not touched) with the frame log on.
Run vmkctl(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vmk.proto.frames.debug=true"));
  return vmk::test::run(QStringLiteral(VMKCTL_PATH), args, 120000, env);
}

QStringList on(const SimProcess& sim, const QStringList& rest, const QString& connector = QStringLiteral("front")) {
  return QStringList{QStringLiteral("--port"), sim.path(), QStringLiteral("--connector"), connector,
                     QStringLiteral("--timeout"), QStringLiteral("30")} + rest;
}

// Replaces the value of one key of a Windows-1251 settings file.
bool replaceEntry(const QString& file, const QString& key, const QString& value) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  QString text = QStringDecoder("windows-1251")(f.readAll());
  f.close();
  const QRegularExpression entry(QStringLiteral("(?m)^%1=.*$").arg(QRegularExpression::escape(key)));
  if (!text.contains(entry)) return false;
  text.replace(entry, key + QLatin1Char('=') + value);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  f.write(QStringEncoder("windows-1251")(text));
  return true;
}

bool sentWrites(const Run& r) { return r.err.contains(QRegularExpression(QStringLiteral("-> \\S\\S 06 "))); }

// The write requests of a run's frame log, as hex, in order.
QStringList writeFrames(const Run& r) {
  static const QRegularExpression write(QStringLiteral("-> (\\S\\S 06 [0-9a-f ]+)"));
  QStringList out;
  for (auto it = write.globalMatch(r.err); it.hasNext();) out << it.next().captured(1).trimmed();
  return out;
}

// Writes one register of a simulated device straight on its line, as
// another tool would (the configurator writes only what its rows stand for).
bool pokeRegister(const SimProcess& sim, int address, int reg, int value) {
  vmk::Session session;
  session.Port1.settings().portName = sim.path();
  session.DeviceAddress = std::uint8_t(address);
  vmk::PortBracket bracket(session);
  return vmk::DeviceClient(session).writeWord(std::uint16_t(reg), std::uint16_t(value)) ==
         vmk::Outcome::Done;
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestVmkctl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void pollListsTheRearBus() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1-3")}));
    const Run r = vmkctl(on(sim, {QStringLiteral("poll")}, QStringLiteral("rear")));
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 32);
    QCOMPARE(lines[0], QStringLiteral("Устройство №1 в сети"));
    QCOMPARE(lines[2], QStringLiteral("Устройство №3 в сети"));
    QCOMPARE(lines[3], QStringLiteral("Связи с устройством №4 нет"));
  }

  void infoOfAVariant3DeviceHasNoGroupOrDateLine() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("2"), QStringLiteral("--variant"),
                       QStringLiteral("3")}));
    const Run r = vmkctl(on(sim, {QStringLiteral("--address"), QStringLiteral("2"), QStringLiteral("info")},
                            QStringLiteral("rear")));
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    QVERIFY2(lines.size() >= 11, qPrintable(r.out));
    QVERIFY(lines[0].startsWith(QStringLiteral("Устройство: ")));
    QCOMPARE(lines[2], QStringLiteral("Сетевой адрес устройства 2"));
    QCOMPARE(lines[3], QString());
    QCOMPARE(lines[4], QString());
    QVERIFY(lines[5].startsWith(QStringLiteral("Язык интерфейса: ")));
    QVERIFY(!r.out.contains(QStringLiteral("Активная группа")));
  }

  void infoOfASilentAddressFails() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1")}));
    const Run r = vmkctl(on(sim, {QStringLiteral("--address"), QStringLiteral("7"), QStringLiteral("info")},
                            QStringLiteral("rear")));
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(QStringLiteral("Error: Связи с устройством №7 нет")));
  }

  void settingsCopiedFromOneDeviceToAnother() {
    SimProcess first, second;
    QVERIFY(first.start({QStringLiteral("--seed"), QStringLiteral("1")}));
    QVERIFY(second.start({QStringLiteral("--seed"), QStringLiteral("99")}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.ust"));

    // Make the first device differ from the factory image of the second.
    QCOMPARE(vmkctl(on(first, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    QVERIFY(replaceEntry(file, QStringLiteral("Время МТЗ-1"), QStringLiteral("0.75")));
    QVERIFY(replaceEntry(file, QStringLiteral("Индикатор 3"), QStringLiteral("1000000000000000000101")));
    QCOMPARE(vmkctl(on(first, {QStringLiteral("params"), QStringLiteral("set"), file,
                               QStringLiteral("--password"), QStringLiteral("AAAA")})).exitCode, 0);

    const Run before = vmkctl(on(second, {QStringLiteral("params"), QStringLiteral("get")}));
    QCOMPARE(before.exitCode, 0);
    const Run source = vmkctl(on(first, {QStringLiteral("params"), QStringLiteral("get")}));
    QCOMPARE(source.exitCode, 0);
    QVERIFY(source.out.contains(QStringLiteral("Время МТЗ-1, с\t0.750")));
    QVERIFY(source.out != before.out);

    QCOMPARE(vmkctl(on(first, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    const Run set = vmkctl(on(second, {QStringLiteral("params"), QStringLiteral("set"), file,
                                       QStringLiteral("--password"), QStringLiteral("AAAA")}));
    QCOMPARE(set.exitCode, 0);
    QVERIFY(set.out.contains(QStringLiteral("written\t")));
    QVERIFY(!set.out.contains(QStringLiteral("unanswered\t")));

    const Run after = vmkctl(on(second, {QStringLiteral("params"), QStringLiteral("get")}));
    QCOMPARE(after.exitCode, 0);
    // The password row shows "*****" on both; every other row is now equal.
    QCOMPARE(after.out, source.out);
  }

  void refusedFilesAndPasswordsWriteNothing_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("password");
    QTest::newRow("current beyond 16 bits") << QStringLiteral("Ток МТЗ-1") << QStringLiteral("150.00")
                                            << QStringLiteral("AAAA");
    QTest::newRow("not a number") << QStringLiteral("Время МТЗ-1") << QStringLiteral("abc")
                                  << QStringLiteral("AAAA");
    QTest::newRow("wrong password") << QString() << QString() << QStringLiteral("BBBB");
  }
  void refusedFilesAndPasswordsWriteNothing() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, password);
    SimProcess sim;
    QVERIFY(sim.start({}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("b.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    if (!key.isEmpty()) QVERIFY(replaceEntry(file, key, value));
    const Run r = vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("set"), file,
                                  QStringLiteral("--password"), password}));
    QCOMPARE(r.exitCode, 3);
    QVERIFY2(!sentWrites(r), qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("Error: ")));
  }

  void aFileFromAnotherAddressIsRefused() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1-2")}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("c.ust"));
    const QStringList rear = {QStringLiteral("--port"), sim.path(), QStringLiteral("--connector"),
                              QStringLiteral("rear"), QStringLiteral("--timeout"), QStringLiteral("30")};
    QCOMPARE(vmkctl(rear + QStringList{QStringLiteral("--address"), QStringLiteral("1"), QStringLiteral("params"),
                                       QStringLiteral("get"), QStringLiteral("-o"), file}).exitCode, 0);
    const Run r = vmkctl(rear + QStringList{QStringLiteral("--address"), QStringLiteral("2"), QStringLiteral("params"),
                                            QStringLiteral("set"), file, QStringLiteral("--password"),
                                            QStringLiteral("AAAA")});
    QCOMPARE(r.exitCode, 3);
    QVERIFY(!sentWrites(r));
    QVERIFY(r.err.contains(QStringLiteral("--allow-address-change")));
  }

  void aCharacteristicWithoutNameIsKept() {
    SimProcess sim;
    QVERIFY(sim.start({}));
    QVERIFY(pokeRegister(sim, 1, 512 + 20, 6));  // no name for 6
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("--group"),
                             QStringLiteral("2"), QStringLiteral("-o"), file})).exitCode, 0);
    const Run set = vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--group"),
                                    QStringLiteral("2"), QStringLiteral("--password"), QStringLiteral("AAAA")}));
    QCOMPARE(set.exitCode, 0);
    QVERIFY2(set.out.contains(QStringLiteral("kept\t532\tТип характеристики\t\tне записано, в устройстве "
                                             "сохранено прежнее значение")),
             qPrintable(set.out));
    QCOMPARE(set.out.count(QStringLiteral("written\t")), 56 + 23);
    QVERIFY(!set.out.contains(QStringLiteral("unanswered\t")));
    const QStringList writes = writeFrames(set);
    QCOMPARE(writes.size(), 56 + 29 + 23);  // two writes for each two-register row
    for (const QString& w : writes) QVERIFY2(!w.startsWith(QStringLiteral("01 06 02 14")), qPrintable(w));
    const Run after = vmkctl(on(sim, {QStringLiteral("--json"), QStringLiteral("params"), QStringLiteral("get"),
                                      QStringLiteral("--group"), QStringLiteral("2")}));
    for (const QJsonValue& row : QJsonDocument::fromJson(after.out.toUtf8()).object().value(QStringLiteral("settings")).toArray())
      if (row.toObject().value(QStringLiteral("row")).toInt() == 17)
        QCOMPARE(row.toObject().value(QStringLiteral("words")).toArray(), QJsonArray{6});
  }

  void valuesOutsideTheirRangesNeedTheOption() {
    SimProcess sim;
    QVERIFY(sim.start({}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("b.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    QVERIFY(replaceEntry(file, QStringLiteral("Время МТЗ-1"), QStringLiteral("600")));
    const QStringList set{QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--password"),
                          QStringLiteral("AAAA")};
    const Run refused = vmkctl(on(sim, set));
    QCOMPARE(refused.exitCode, 3);
    QVERIFY(!sentWrites(refused));
    QVERIFY2(refused.err.contains(QStringLiteral("Error: Значения вне допустимого диапазона:\n«Время МТЗ-1, с» = "
                                                 "«600»: допустимо от 0.00 до 100.00 с\n")),
             qPrintable(refused.err));
    QVERIFY(refused.err.contains(QStringLiteral("--allow-out-of-range")));

    const Run allowed = vmkctl(on(sim, set + QStringList{QStringLiteral("--allow-out-of-range")}));
    QCOMPARE(allowed.exitCode, 0);
    QVERIFY(allowed.err.contains(QStringLiteral("Warning: Значения вне допустимого диапазона")));
    QVERIFY(allowed.out.contains(QStringLiteral("written\t262\tВремя МТЗ-1, с\t600")));
    const Run after = vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get")}));
    QVERIFY(after.out.contains(QStringLiteral("Время МТЗ-1, с\t600.000")));
  }

  // --dry-run: the rows the write would send beside the device's values,
  // one changed; nothing is written, no password needed.
  void aDryRunPrintsThePreviewAndWritesNothing_data() {
    QTest::addColumn<bool>("json");
    QTest::newRow("text") << false;
    QTest::newRow("json") << true;
  }
  void aDryRunPrintsThePreviewAndWritesNothing() {
    QFETCH(bool, json);
    SimProcess sim;
    QVERIFY(sim.start({}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("d.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    QVERIFY(replaceEntry(file, QStringLiteral("Время МТЗ-1"), QStringLiteral("0.40")));
    QStringList args{QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--dry-run")};
    if (json) args.prepend(QStringLiteral("--json"));
    const Run r = vmkctl(on(sim, args));
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!sentWrites(r));
    if (json) {
      const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
      QCOMPARE(o.value(QStringLiteral("changing")).toInt(), 1);
      int changed = 0;
      for (const QJsonValue& v : o.value(QStringLiteral("preview")).toArray()) {
        const QJsonObject row = v.toObject();
        if (row.value(QStringLiteral("unchanged")).toBool()) continue;
        ++changed;
        QCOMPARE(row.value(QStringLiteral("caption")).toString(), QStringLiteral("Время МТЗ-1, с"));
        QCOMPARE(row.value(QStringLiteral("words")).toArray(), QJsonArray{40});
        QCOMPARE(row.value(QStringLiteral("unit")).toString(), QStringLiteral("с"));
        QVERIFY(row.value(QStringLiteral("device")).isString());
      }
      QCOMPARE(changed, 1);
      return;
    }
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.filter(QStringLiteral("\tизменится")).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("\tбез изменений")).size(), lines.size() - 1);
    const QString changed = lines.filter(QStringLiteral("\tизменится")).first();
    QVERIFY2(changed.startsWith(QStringLiteral("Уставки, группа 1\tМТЗ-1\tВремя МТЗ-1, с\t")) &&
                 changed.endsWith(QStringLiteral("\t0.40\tс\tизменится\t")),
             qPrintable(changed));
  }

  void aDevicesOwnSettingsPassAsTheyAre_data() {
    QTest::addColumn<int>("earthSecondary");
    QTest::newRow("earth transformer 75/10") << 10;
    QTest::newRow("earth transformer 75/25") << 25;
  }
  void aDevicesOwnSettingsPassAsTheyAre() {
    // A relay with switched-off stages (current and time 0) and a stage
    // time beyond our ranges: its own settings copied into itself pass,
    // with no question and no option.
    QFETCH(int, earthSecondary);
    SimProcess sim;
    QVERIFY(sim.start({}));
    QList<QPair<int, int>> held{{82, 75}, {83, earthSecondary}, {256 + 6, 60000}};
    for (int offset : {12, 13, 18, 19, 25, 26, 29, 30, 31, 32, 34, 35}) held.append({256 + offset, 0});
    for (const auto& [reg, value] : held) QVERIFY(pokeRegister(sim, 1, reg, value));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("own.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), file})).exitCode, 0);
    const Run set = vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--password"),
                                    QStringLiteral("AAAA")}));
    QVERIFY2(set.exitCode == 0, qPrintable(set.err.right(2000)));
    QVERIFY2(!set.err.contains(QStringLiteral("диапазона")), qPrintable(set.err.right(2000)));
    QVERIFY(set.out.contains(QStringLiteral("written\t83\tВторичный ток ТТ ЗНЗ, A\t%1").arg(earthSecondary)));
    QVERIFY(set.out.contains(QStringLiteral("written\t262\tВремя МТЗ-1, с\t600.000")));
  }

  void aFileOfSomeKeysWritesThoseRowsOnly() {
    // A key the file does not hold leaves the device's value as it is.
    SimProcess sim;
    QVERIFY(sim.start({}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("one.ust"));
    QVERIFY(writeBytes(file, QStringEncoder("windows-1251")(QStringLiteral("[Уставки]\r\nВремя МТЗ-1=0,40\r\n"))));
    const Run set = vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--password"),
                                    QStringLiteral("AAAA")}));
    QVERIFY2(set.exitCode == 0, qPrintable(set.err.right(2000)));
    QCOMPARE(set.out.trimmed(), QStringLiteral("written\t262\tВремя МТЗ-1, с\t0,40"));
    QCOMPARE(writeFrames(set).size(), 1);
    QVERIFY(writeFrames(set).first().startsWith(QStringLiteral("01 06 01 06 00 28")));
    // Its read before and its read-back, and no other read of a parameter
    // or setting register.
    static const QRegularExpression reads(QStringLiteral("-> 01 03 (\\S\\S \\S\\S) "));
    QStringList read;
    for (auto it = reads.globalMatch(set.err); it.hasNext();) read << it.next().captured(1);
    QCOMPARE(read.count(QStringLiteral("01 06")), 2);
    for (QString r : read) {
      const int reg = r.remove(u' ').toInt(nullptr, 16);
      QVERIFY2(reg == 262 || reg < 64 || reg == 64 || reg > 600, qPrintable(r));
    }
  }

  void filesFromOtherEditors_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("empty file") << "empty";
    QTest::newRow("100 kB of random bytes") << "random";
    QTest::newRow("UTF-8") << "utf8";
    QTest::newRow("UTF-8 with a byte-order mark") << "bom";
  }
  void filesFromOtherEditors() {
    QFETCH(QString, form);
    SimProcess sim;
    QVERIFY(sim.start({}));
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("own.ust"));
    QCOMPARE(vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("get"), QStringLiteral("-o"), own})).exitCode, 0);
    QVERIFY(replaceEntry(own, QStringLiteral("Тип характеристики"), QStringLiteral("пологая (РТ-80)")));
    QByteArray bytes;
    if (form == QLatin1String("random")) {
      QRandomGenerator random(1251);
      bytes.resize(100 * 1024);
      for (char& c : bytes) c = char(random.bounded(256));
    } else if (form != QLatin1String("empty")) {
      const QString text = QStringDecoder("windows-1251")(readBytes(own));
      bytes = text.toUtf8();
      if (form == QLatin1String("bom")) bytes.prepend("\xEF\xBB\xBF");
    }
    const QString other = dir.filePath(QStringLiteral("other.ust"));
    QVERIFY(writeBytes(other, bytes));

    auto set = [&](const QString& file) {
      return vmkctl(on(sim, {QStringLiteral("params"), QStringLiteral("set"), file, QStringLiteral("--password"),
                             QStringLiteral("AAAA")}));
    };
    const Run r = set(other);
    if (form == QLatin1String("empty") || form == QLatin1String("random")) {
      QCOMPARE(r.exitCode, 3);
      QVERIFY2(r.err.contains(QStringLiteral("Error: Файл %1 не содержит ни параметров, ни уставок.").arg(other)),
               qPrintable(r.err));
      QVERIFY2(!r.err.contains(QStringLiteral("-> ")), qPrintable(r.err));  // not a single request
      return;
    }
    QCOMPARE(r.exitCode, 0);
    const Run windows1251 = set(own);
    QCOMPARE(windows1251.exitCode, 0);
    QCOMPARE(writeFrames(r), writeFrames(windows1251));
    QVERIFY(r.out.contains(QStringLiteral("written\t276\tТип характеристики\tпологая (РТ-80)")));
  }

  void anAddressChangeMovesTheDevice() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1-2")}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seven.ust"));
    const QStringList rear = {QStringLiteral("--port"), sim.path(), QStringLiteral("--connector"),
                              QStringLiteral("rear"), QStringLiteral("--timeout"), QStringLiteral("30")};
    QCOMPARE(vmkctl(rear + QStringList{QStringLiteral("--address"), QStringLiteral("1"), QStringLiteral("params"),
                                       QStringLiteral("get"), QStringLiteral("-o"), file}).exitCode, 0);
    QVERIFY(replaceEntry(file, QStringLiteral("Адрес устройства"), QStringLiteral("7")));
    const Run set = vmkctl(rear + QStringList{QStringLiteral("--address"), QStringLiteral("2"), QStringLiteral("params"),
                                              QStringLiteral("set"), file, QStringLiteral("--password"),
                                              QStringLiteral("AAAA"), QStringLiteral("--allow-address-change")});
    QCOMPARE(set.exitCode, 0);
    QVERIFY2(set.out.contains(QStringLiteral("written\t64\tАдрес устройства\t7")), qPrintable(set.out));
    QVERIFY(set.out.contains(QStringLiteral("address\t7")));
    QVERIFY(!set.out.contains(QStringLiteral("unanswered\t")));
    // The write of the address went to 2, every request after it to 7.
    const QStringList writes = writeFrames(set);
    QVERIFY(writes.first().startsWith(QStringLiteral("02 06 00 40 00 07")));
    for (qsizetype i = 1; i < writes.size(); ++i) QVERIFY2(writes[i].startsWith(QStringLiteral("07 ")), qPrintable(writes[i]));

    const Run poll = vmkctl(rear + QStringList{QStringLiteral("poll")});
    QCOMPARE(poll.exitCode, 0);
    const QStringList lines = poll.out.trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines[0], QStringLiteral("Устройство №1 в сети"));
    QCOMPARE(lines[1], QStringLiteral("Связи с устройством №2 нет"));
    QCOMPARE(lines[6], QStringLiteral("Устройство №7 в сети"));
  }

  void jsonParamsGetGivesRegistersAndWords() {
    SimProcess sim;
    QVERIFY(sim.start({}));
    const Run r = vmkctl(on(sim, {QStringLiteral("--json"), QStringLiteral("params"), QStringLiteral("get")}));
    QCOMPARE(r.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o.value(QStringLiteral("group")).toInt(), 1);
    auto rowOf = [&o](const char* grid, int row) {
      for (const QJsonValue& v : o.value(QLatin1String(grid)).toArray())
        if (v.toObject().value(QStringLiteral("row")).toInt() == row) return v.toObject();
      return QJsonObject();
    };
    const QJsonObject address = rowOf("parameters", 1);
    QCOMPARE(address.value(QStringLiteral("caption")).toString(), QStringLiteral("Адрес устройства"));
    QCOMPARE(address.value(QStringLiteral("registers")).toArray(), QJsonArray{64});
    const QJsonArray word = address.value(QStringLiteral("words")).toArray();
    QCOMPARE(word.size(), 1);
    QCOMPARE(address.value(QStringLiteral("text")).toString(), QString::number(word[0].toInt() & 0xFF));
    const QJsonObject indicator = rowOf("parameters", 10);
    QCOMPARE(indicator.value(QStringLiteral("registers")).toArray(), (QJsonArray{96, 97}));
    QCOMPARE(indicator.value(QStringLiteral("words")).toArray().size(), 2);
    // The password stays out: no words for its row.
    QVERIFY(rowOf("parameters", 2).value(QStringLiteral("words")).toArray().isEmpty());
    QCOMPARE(rowOf("settings", 8).value(QStringLiteral("registers")).toArray(), QJsonArray{262});
  }

  void liveShowsThePhaseCurrents() {
    SimProcess sim;
    QVERIFY(sim.start({}));
    const Run r = vmkctl(on(sim, {QStringLiteral("live")}));
    QCOMPARE(r.exitCode, 0);
    for (const char* label : {"Ia = ", "Ib = ", "Ic = ", "Io = "})
      QVERIFY2(r.out.contains(QLatin1String(label)), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("Обновление информации")));
  }

  void commandsAreConfirmedOrRefused() {
    SimProcess sim;
    QVERIFY(sim.start({}));
    const Run relay = vmkctl(on(sim, {QStringLiteral("command"), QStringLiteral("relay"), QStringLiteral("3"),
                                      QStringLiteral("--password"), QStringLiteral("AAAA")}));
    QCOMPARE(relay.exitCode, 0);
    QVERIFY2(relay.out.trimmed().endsWith(QStringLiteral("Команда управления реле 3")), qPrintable(relay.out));

    const Run sync = vmkctl(on(sim, {QStringLiteral("command"), QStringLiteral("sync"), QStringLiteral("--at"),
                                     QStringLiteral("01.02.2011 13:05:07"), QStringLiteral("--password"),
                                     QStringLiteral("AAAA")}));
    QCOMPARE(sync.exitCode, 0);
    QVERIFY(sync.out.contains(QStringLiteral("Установлено 01.02.2011 13.05.07")));
    const Run info = vmkctl(on(sim, {QStringLiteral("info")}));
    QVERIFY2(info.out.contains(QStringLiteral("Дата и время устройства: 01.02.2011 13:05")), qPrintable(info.out));

    const Run wrong = vmkctl(on(sim, {QStringLiteral("command"), QStringLiteral("ack"),
                                      QStringLiteral("--password"), QStringLiteral("ABCD")}));
    QCOMPARE(wrong.exitCode, 3);
    QVERIFY(wrong.err.contains(QStringLiteral("Error: Ошибка ввода пароля!")));
    QVERIFY(!wrong.err.contains(QRegularExpression(QStringLiteral("-> \\S\\S 05 "))));
  }

  // A relay whose clock battery ran down: each command warns of the
  // undefined clock and does its work; "command sync" sets the clock.
  void anUndefinedClockIsOnlyAWarning_data() {
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<bool>("setsClock");
    QTest::newRow("info") << QStringList{"info"} << false;
    QTest::newRow("params get") << QStringList{"params", "get"} << false;
    QTest::newRow("events") << QStringList{"events"} << false;
    QTest::newRow("report") << QStringList{"report", "-o", "DIR/device.xlsx"} << false;
    QTest::newRow("command sync") << QStringList{"command", "sync", "--at", "01.02.2011 13:05:07",
                                                 "--password", "AAAA"}
                                  << true;
  }
  void anUndefinedClockIsOnlyAWarning() {
    QFETCH(QStringList, command);
    QFETCH(bool, setsClock);
    SimProcess sim;
    QVERIFY(sim.start({"--addresses", "2,4", "--clock-unset", "4"}));
    QTemporaryDir dir;
    command.replaceInStrings(QStringLiteral("DIR"), dir.path());
    const QStringList at4{"--address", "4"};
    const QString warning = QStringLiteral(
        "Warning: Некорректные дата и время! Проверьте правильность установки даты и времени.\n");

    const Run r = vmkctl(on(sim, at4 + command, QStringLiteral("rear")));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err.right(2000)));
    QCOMPARE(r.err.count(warning), 1);
    QVERIFY(!r.err.contains(QStringLiteral("Error: ")));
    QVERIFY(!r.out.isEmpty() || QFileInfo::exists(dir.filePath(QStringLiteral("device.xlsx"))));

    const Run info = vmkctl(on(sim, at4 + QStringList{"info"}, QStringLiteral("rear")));
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.err.contains(warning), !setsClock);
    QVERIFY2(info.out.contains(setsClock ? QStringLiteral("Дата и время устройства: 01.02.2011 13:05")
                                         : QStringLiteral("Дата и время устройства: Неопределены.")),
             qPrintable(info.out));
    // The device at address 2 has its clock.
    const Run other = vmkctl(on(sim, {"--address", "2", "info"}, QStringLiteral("rear")));
    QCOMPARE(other.exitCode, 0);
    QVERIFY(!other.err.contains(warning));
    QVERIFY(!other.out.contains(QStringLiteral("Неопределены")));
  }

  void anInterruptedPollPrintsWhatItFoundAndFreesThePort() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1-3")}));
    // A slow bus: each silent address waits 500 ms for its answer.
    QProcess poll;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vmk.proto.frames.debug=true"));
    poll.setProcessEnvironment(env);
    poll.start(QStringLiteral(VMKCTL_PATH),
               {QStringLiteral("--port"), sim.path(), QStringLiteral("--connector"), QStringLiteral("rear"),
                QStringLiteral("--timeout"), QStringLiteral("50"), QStringLiteral("poll")});
    poll.setReadChannel(QProcess::StandardError);
    QVERIFY(poll.waitForStarted());
    // SIGINT while address 5 is asked.
    QByteArray err;
    while (!err.contains("-> 05 07")) {
      QVERIFY2(poll.waitForReadyRead(30000), err.constData());
      err += poll.readAllStandardError();
    }
    QCOMPARE(::kill(pid_t(poll.processId()), SIGINT), 0);
    QVERIFY(poll.waitForFinished(30000));
    QCOMPARE(poll.exitStatus(), QProcess::NormalExit);
    QCOMPARE(poll.exitCode(), 1);
    const QStringList lines = QString::fromUtf8(poll.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("Устройство №1 в сети"));
    QCOMPARE(lines[2], QStringLiteral("Устройство №3 в сети"));
    QCOMPARE(lines[4], QStringLiteral("Связи с устройством №5 нет"));

    // The port was closed: the bus serves the next run at once.
    const Run again = vmkctl(on(sim, {QStringLiteral("--address"), QStringLiteral("2"), QStringLiteral("info")},
                                QStringLiteral("rear")));
    QCOMPARE(again.exitCode, 0);
    QVERIFY(again.out.contains(QStringLiteral("Сетевой адрес устройства 2")));
  }

  void anInterruptedDownloadLeavesNoFiles() {
    SimProcess sim;
    // Paced: 27 ms a block, so the interrupt lands on the block asked.
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1"), QStringLiteral("--pace"),
                       QStringLiteral("--baud"), QStringLiteral("115200")}));
    QTemporaryDir dir;
    QProcess osc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vmk.proto.frames.debug=true"));
    osc.setProcessEnvironment(env);
    osc.setReadChannel(QProcess::StandardError);
    osc.start(QStringLiteral(VMKCTL_PATH), {QStringLiteral("--port"), sim.path(), QStringLiteral("osc"),
                                            QStringLiteral("--entry"), QStringLiteral("0"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("fault"))});
    QVERIFY(osc.waitForStarted());
    // SIGINT while block 100 is asked.
    QByteArray err;
    while (!err.contains("-> 01 43 00 00 64")) {
      QVERIFY2(osc.waitForReadyRead(30000), err.right(400).constData());
      err += osc.readAllStandardError();
    }
    QCOMPARE(::kill(pid_t(osc.processId()), SIGINT), 0);
    QVERIFY(osc.waitForFinished(30000));
    QCOMPARE(osc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(osc.exitCode(), 1);
    err += osc.readAllStandardError();
    QVERIFY(!err.contains("-> 01 43 00 00 66"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
  }

  void aSecondInterruptEndsTheProgram() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--addresses"), QStringLiteral("1")}));
    QProcess poll;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vmk.proto.frames.debug=true"));
    poll.setProcessEnvironment(env);
    poll.setReadChannel(QProcess::StandardError);
    poll.start(QStringLiteral(VMKCTL_PATH),
               {QStringLiteral("--port"), sim.path(), QStringLiteral("--connector"), QStringLiteral("rear"),
                QStringLiteral("--timeout"), QStringLiteral("255"), QStringLiteral("poll")});
    QVERIFY(poll.waitForStarted());
    QByteArray err;
    while (!err.contains("-> 02 07")) {
      QVERIFY2(poll.waitForReadyRead(30000), err.constData());
      err += poll.readAllStandardError();
    }
    // The first asks the poll to stop after this 2.55 s wait; the second
    // does not wait for it.
    QCOMPARE(::kill(pid_t(poll.processId()), SIGINT), 0);
    QTest::qWait(100);
    QCOMPARE(::kill(pid_t(poll.processId()), SIGINT), 0);
    QVERIFY(poll.waitForFinished(2000));
    QCOMPARE(poll.exitStatus(), QProcess::CrashExit);
  }

  void usageErrorsExitTwo() {
    QCOMPARE(vmkctl({QStringLiteral("frobnicate")}).exitCode, 2);
    QCOMPARE(vmkctl({QStringLiteral("--address"), QStringLiteral("40"), QStringLiteral("info")}).exitCode, 2);
    QCOMPARE(vmkctl({QStringLiteral("params"), QStringLiteral("set"), QStringLiteral("x.ust")}).exitCode, 2);
    const Run help = vmkctl({QStringLiteral("params"), QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains(QStringLiteral("params set FILE.ust --password P")));
  }
};

QTEST_GUILESS_MAIN(TestVmkctl)
#include "test_vmkctl.moc"
