// The strict COMTRADE 1999 pair, read back by a checker of our own that
// enforces the standard's field counts and formats, and vmkctl osc on the
// operation fixture: both forms, the files only on success, exit outcomes.

#include <QDir>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/wire_table.h"
#include "journals/comtrade_standard.h"
#include "journals/osc_download.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "tests/journals/comtrade_checker.h"
#include "tests/journals/journal_support.h"

using namespace vmk;
using namespace vmk::test;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ViewName names(int, int index) {
  static const QStringList some{QStringLiteral("Пуск МТЗ-1"), QStringLiteral("Щит, ячейка №5")};
  return {ViewLoad::Loaded, some.value(index % 2)};
}

struct Cli : DeviceFixture {
  QTemporaryDir dir;
  CliCall call{session, prompts, clock, ws.jobs};
  explicit Cli(int variant = 1) {
    add(1, variant);
    call.address = 1;
    call.programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
  }
  QString base() const { return dir.filePath(QStringLiteral("fault")); }
  Outcome run(QHash<QString, QString> options, QSet<QString> flags = {}) {
    call.options = std::move(options);
    call.flags = std::move(flags);
    return commandRegistry().findCli({QStringLiteral("osc")})->run(call);
  }
  QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

}  // namespace

class TestOscStandard : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theStandardPairPassesTheChecker() {
    DeviceFixture f;
    f.add(1);
    f.connectTo(1);
    QTemporaryDir dir;
    for (int entry : {0, 3, 5}) {
      osc::Target t;
      t.entry = entry;
      t.phaseRatio = 120;
      t.earthRatio = 50;
      t.alarmTime = f.device().recorder().when(entry);
      t.base = dir.filePath(QStringLiteral("std%1").arg(entry));
      t.form = osc::Form::Standard;
      const osc::DownloadResult r = osc::downloadOscillogram(f.session, f.ws.jobs, nullptr, f.prompts, names, t);
      QCOMPARE(r.outcome, Outcome::Done);
      const QByteArray cfg = readAll(t.base + ".cfg");
      const QByteArray dat = readAll(t.base + ".dat");
      const QStringList problems = ComtradeChecker().check(cfg, dat);
      QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

      const QStringList l = QString::fromLatin1(cfg).split(QStringLiteral("\r\n"));
      QCOMPARE(l[0].count(QLatin1Char(',')), 2);
      QVERIFY(l[0].endsWith(QStringLiteral(",1999")));
      QVERIFY(l[2].startsWith(QStringLiteral("1,IA,A,,A,1.2,0,0,")));
      QVERIFY(l[5].startsWith(QStringLiteral("4,IN,N,,A,0.05,0,0,")));
      // Primary and secondary from the transformer values, values primary.
      const SetupFields& s = f.session.vmk.setup;
      QVERIFY(l[2].endsWith(QStringLiteral(",%1,%2,P").arg(s.CtPrimary).arg(s.CtSecondary)));
      QCOMPARE(l[6], QStringLiteral("1,Pusk MTZ-1,,,0"));
      QCOMPARE(l[7], QStringLiteral("2,Shchit; yacheyka N5,,,0"));
      const QString day = t.alarmTime.toString(QStringLiteral("dd/MM/yyyy,HH:mm:ss"));
      QCOMPARE(l[25], day + QStringLiteral(".000000"));
      QCOMPARE(l[26], day + QStringLiteral(".500000"));
      QCOMPARE(l[28], QStringLiteral("1"));
    }
  }

  void theCheckerRefusesTheMakersForm() {
    DeviceFixture f;
    f.add(1);
    f.connectTo(1);
    QTemporaryDir dir;
    osc::Target t;
    t.alarmTime = f.device().recorder().when(0);
    t.base = dir.filePath(QStringLiteral("maker"));
    QCOMPARE(osc::downloadOscillogram(f.session, f.ws.jobs, nullptr, f.prompts, names, t).outcome,
             Outcome::Done);
    const QStringList problems = ComtradeChecker().check(readAll(t.base + ".cfg"), readAll(t.base + ".dat"));
    const QString all = problems.join('\n');
    QVERIFY2(all.contains(QStringLiteral("no printable ASCII")), qPrintable(all));
    // Its station line has commas of its own: no device id, no revision.
    QVERIFY(all.contains(QStringLiteral("cfg1: rev_year is not 1999")));
    QVERIFY(all.contains(QStringLiteral("cfg3: 10 fields, not 13")));
    QVERIFY(all.contains(QStringLiteral("cfg7: 3 fields, not 5")));
    QVERIFY(all.contains(QStringLiteral("no dd/mm/yyyy")));
    QVERIFY(all.contains(QStringLiteral("outside min..max")));        // 8-character fields
  }

  void transliteration_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ascii");
    QTest::newRow("upper and lower") << "Пуск ЗНЗ" << "Pusk ZNZ";
    QTest::newRow("letters of two or more") << "Жёлтый щит цеха" << "Zheltyy shchit tsekha";
    QTest::newRow("signs dropped") << "объём" << "obem";
    QTest::newRow("number sign, comma") << "ВМК-01.01, №12" << "VMK-01.01; N12";
    QTest::newRow("other") << "50\u00b0\tx" << "50??x";
  }
  void transliteration() {
    QFETCH(QString, text);
    QFETCH(QString, ascii);
    QCOMPARE(osc::transliterate(text), ascii);
  }

  void analogValuesFollowTheSignRule() {
    QCOMPARE(osc::analogValue(1234), 1851);
    QCOMPARE(osc::analogValue(0xFF9C), -150);
    QCOMPARE(osc::analogValue(0x8000), 49152);
    QCOMPARE(osc::analogValue(0x8001), -49150);
    QCOMPARE(osc::analogValue(0xFFFD), -4);
  }

  void vmkctlWritesThePairOnSuccessOnly() {
    Cli f;
    QCOMPARE(f.run({{"--entry", "0"}, {"-o", f.base() + ".cfg"}}), Outcome::Done);
    QCOMPARE(f.files(), (QStringList{"fault.cfg", "fault.dat"}));
    QCOMPARE(f.call.text, (QStringList{f.base() + ".cfg", f.base() + ".dat"}));
    QVERIFY(readAll(f.base() + ".cfg").contains("\xd2\xee\xea Ia"));
    QCOMPARE(f.call.data["blocks"].toInt(), 250);

    Cli g;
    QCOMPARE(g.run({{"--entry", "1"}, {"-o", g.base()}}, {"--standard"}), Outcome::Done);
    QVERIFY(ComtradeChecker().check(readAll(g.base() + ".cfg"), readAll(g.base() + ".dat")).isEmpty());

    Cli h;
    h.plan.fault = [](const QByteArray& r) {
      return r.size() == 7 && std::uint8_t(r[1]) == wire::kOscBlock && wire::wordAt(r, 3) == 120
                 ? Fault::Silence : Fault::None;
    };
    QCOMPARE(h.run({{"--entry", "0"}, {"-o", h.base()}}), Outcome::NoAnswer);
    QCOMPARE(h.files(), QStringList{});
    QCOMPARE(h.call.data["complete"].toBool(), false);
  }

  void vmkctlRefusesWhatCannotBeDownloaded() {
    Cli f;
    // Entry 2 records nothing, entry 6 holds zeros.
    QCOMPARE(f.run({{"--entry", "2"}, {"-o", f.base()}}), Outcome::InputRefused);
    QCOMPARE(f.run({{"--entry", "6"}, {"-o", f.base()}}), Outcome::InputRefused);
    QCOMPARE(f.files(), QStringList{});
    for (const QHash<QString, QString>& bad :
         {QHash<QString, QString>{{"-o", "x"}}, {{"--entry", "13"}, {"-o", "x"}},
          {{"--entry", "a"}, {"-o", "x"}}, {{"--entry", "1"}}}) {
      bool usage = false;
      try {
        f.run(bad);
      } catch (const UsageError&) {
        usage = true;
      }
      QVERIFY(usage);
    }
    Cli v3(3);
    QCOMPARE(v3.run({{"--entry", "0"}, {"-o", v3.base()}}), Outcome::InputRefused);
  }
};

QTEST_GUILESS_MAIN(TestOscStandard)
#include "test_osc_standard.moc"
