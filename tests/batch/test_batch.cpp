// The batch extraction on the in-process bus: what each device's folder
// holds, a device that fails midway or whose identity cannot be decoded
// while the batch goes on, the second run that skips what is complete, a
// cancel in the middle of an oscillogram, and the option lists.

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "batch/batch_run.h"
#include "shell/batch_commands.h"
#include "extlib/wire_table.h"
#include "sim/device.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

namespace {

ViewName names(int kind, int index) {
  return {ViewLoad::Loaded, QStringLiteral("Ф%1.%2").arg(kind).arg(index)};
}

QStringList filesUnder(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

int oscBlockRequests(const QList<QByteArray>& requests, int address) {
  int n = 0;
  for (const QByteArray& r : requests)
    n += r.size() > 1 && std::uint8_t(r[0]) == address && std::uint8_t(r[1]) == wire::kOscBlock;
  return n;
}

const batch::DeviceRecord* deviceAt(const batch::Result& r, int address) {
  for (const batch::DeviceRecord& d : r.devices)
    if (d.address == address) return &d;
  return nullptr;
}

QMap<QString, batch::Item::State> states(const batch::DeviceRecord& d) {
  QMap<QString, batch::Item::State> out;
  for (const batch::Item& i : d.items) out.insert(i.file.isEmpty() ? i.part : i.file, i.state);
  return out;
}

}  // namespace

class TestBatch : public QObject {
  Q_OBJECT

  batch::Result run(DeviceFixture& f, const batch::Options& o) {
    return batch::runBatch(f.session, f.ws.jobs, f.prompts, names, o, {});
  }
  batch::Result runInWindow(DeviceFixture& f, const QString& dir) {
    return collectAllDevices(f.ws, f.ws.link, dir, names);
  }

 private Q_SLOTS:
  void collectsDevicesAndGoesOnPastAFailure() {
    DeviceFixture f;
    f.chooseRear(true);
    f.add(1);
    f.add(2, 3);
    f.add(5);
    // Device 5 falls silent once its settings of group 2 are asked for.
    f.plan.fault = [](const QByteArray& r) {
      const int first = std::uint8_t(r[2]) << 8 | std::uint8_t(r[3]);
      return std::uint8_t(r[0]) == 5 && std::uint8_t(r[1]) == wire::kReadHolding && first >= 512
                 ? Fault::Silence
                 : Fault::None;
    };
    QTemporaryDir dir;
    batch::Options o;
    o.dir = dir.path();
    o.addresses = {1, 2, 4, 5};
    o.today = f.clock.now().date();
    const batch::Result r = run(f, o);
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.silent, QList<int>{4});
    QCOMPARE(r.devices.size(), 3);
    QVERIFY(!f.portOpen());

    const batch::DeviceRecord* one = deviceAt(r, 1);
    QVERIFY(one && !one->failed);
    QCOMPARE(one->folder, QStringLiteral("1-%1").arg(f.device(1).factoryNumber()));
    const QStringList files = filesUnder(dir.filePath(one->folder));
    for (const char* name : {"info.txt", "group1.ust", "group2.ust", "events.csv", "events.json",
                             "stats.csv", "stats.json", "alarms.csv", "alarms.json"})
      QVERIFY2(files.contains(QString::fromLatin1(name)), name);
    int pairs = 0;
    for (const QString& file : files)
      if (file.startsWith(QLatin1String("osc-")) && file.endsWith(QLatin1String(".cfg"))) {
        QVERIFY(files.contains(file.chopped(4) + QStringLiteral(".dat")));
        ++pairs;
      }
    QVERIFY(pairs > 0);

    const batch::DeviceRecord* two = deviceAt(r, 2);
    QCOMPARE(two->variant, 3);
    QCOMPARE(states(*two).value(QStringLiteral("events")), batch::Item::State::NotAvailable);
    QCOMPARE(states(*two).value(QStringLiteral("group2.ust")), batch::Item::State::Written);

    // 5 failed at its group 2 and the batch still read its journals.
    const batch::DeviceRecord* five = deviceAt(r, 5);
    QVERIFY(five->failed);
    QCOMPARE(states(*five).value(QStringLiteral("group1.ust")), batch::Item::State::Written);
    QCOMPARE(states(*five).value(QStringLiteral("group2.ust")), batch::Item::State::Failed);
    QVERIFY(!QFile::exists(dir.filePath(five->folder + QStringLiteral("/group2.ust"))));
    QCOMPARE(states(*five).value(QStringLiteral("events.csv")), batch::Item::State::Written);

    QFile index(dir.filePath(QStringLiteral("index.json")));
    QVERIFY(index.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(index.readAll()).object();
    QCOMPARE(json.value(QStringLiteral("complete")).toBool(), true);
    QCOMPARE(json.value(QStringLiteral("devices")).toArray().size(), 3);
    QCOMPARE(json.value(QStringLiteral("silent")).toArray(), QJsonArray{4});
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("index.txt"))));

    // The second run asks nothing of what is there: only 5's group 2.
    f.plan.fault = {};
    f.forgetRequests();
    const batch::Result again = run(f, o);
    QCOMPARE(again.outcome, Outcome::Done);
    QCOMPARE(oscBlockRequests(f.requests(), 1), 0);
    QCOMPARE(states(*deviceAt(again, 5)).value(QStringLiteral("group2.ust")), batch::Item::State::Written);
    QCOMPARE(states(*deviceAt(again, 1)).value(QStringLiteral("group1.ust")), batch::Item::State::Skipped);
    for (const batch::Item& i : deviceAt(again, 1)->items)
      QVERIFY2(i.state == batch::Item::State::Skipped, qPrintable(i.file));
  }

  // A cancel in the middle of an oscillogram: the pairs before it stay, it
  // leaves nothing, the index says so; the next run downloads only it and
  // those after it.
  void aCancelInTheMiddleOfAnOscillogramResumes() {
    DeviceFixture f;
    f.chooseRear(true);
    f.add(1);
    QTemporaryDir dir;
    batch::Options o;
    o.dir = dir.path();
    o.addresses = {1};
    o.parts = {batch::Part::Osc};
    o.form = osc::Form::Standard;
    o.today = f.clock.now().date();
    f.atStep = [&](int) {
      if (oscBlockRequests(f.requests(), 1) == 250 + 100) f.ws.jobs.requestCancel();
    };
    const batch::Result cut = run(f, o);
    QCOMPARE(cut.outcome, Outcome::Cancelled);
    QVERIFY(!f.portOpen());
    const QString folder = deviceAt(cut, 1)->folder;
    QStringList pairs;
    for (const QString& file : filesUnder(dir.filePath(folder))) pairs << file;
    QCOMPARE(pairs.size(), 2);  // the first pair, whole
    QFile index(dir.filePath(QStringLiteral("index.json")));
    QVERIFY(index.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(index.readAll()).object().value(QStringLiteral("cancelled")).toBool(), true);

    f.atStep = {};
    f.forgetRequests();
    const batch::Result rest = run(f, o);
    QCOMPARE(rest.outcome, Outcome::Done);
    const auto s = states(*deviceAt(rest, 1));
    QCOMPARE(s.value(pairs.first().endsWith(QLatin1String(".cfg")) ? pairs.first() : pairs.last()),
             batch::Item::State::Skipped);
    int written = 0;
    for (const batch::Item& i : deviceAt(rest, 1)->items) written += i.state == batch::Item::State::Written;
    QCOMPARE(oscBlockRequests(f.requests(), 1), 250 * written);
    QVERIFY(written > 0);
  }

  // The window's command: no input while it runs, the steps in Memo1, and
  // no device chosen afterwards (the batch addressed each in turn).
  void theWindowCollectsAndLeavesNoDeviceChosen() {
    DeviceFixture f;
    f.chooseRear(true);
    f.add(2);
    f.connectTo(2);
    QTemporaryDir dir;
    bool disabledThroughout = true;
    f.atStep = [&](int) { disabledThroughout = disabledThroughout && !f.ws.pages.isWindowEnabled(); };
    const batch::Result r = runInWindow(f, dir.path());
    QCOMPARE(r.outcome, Outcome::Done);
    QVERIFY(disabledThroughout);
    QVERIFY(f.ws.pages.isWindowEnabled());
    QVERIFY(!f.ws.link.Gauge1.isVisible());
    QVERIFY(!f.portOpen());
    QCOMPARE(f.session.DeviceAddress, 0);
    QVERIFY(f.ws.link.Memo1.lines().contains(QStringLiteral("2: подключение")));
    QCOMPARE(f.prompts.boxTexts().size(), 1);
    QVERIFY2(f.prompts.boxTexts().first().startsWith(QStringLiteral("Устройств: 1, с ошибками: 0.")),
             qPrintable(f.prompts.boxTexts().first()));
    QCOMPARE(r.silent.size(), 31);
  }

  // The index written after a device is that of a batch not finished; a
  // port that goes while the next device is connected stops the batch
  // with the index saying so, device 1's files kept.
  void aPortThatGoesWhileConnectingStopsTheBatchWithItsIndex() {
    DeviceFixture f;
    f.chooseRear(true);
    f.add(1);
    f.add(2);
    QTemporaryDir dir;
    batch::Options o;
    o.dir = dir.path();
    o.addresses = {1, 2};
    o.parts = {batch::Part::Info};
    o.today = f.clock.now().date();
    const auto readIndex = [&] {
      QFile json(dir.filePath(QStringLiteral("index.json")));
      QFile text(dir.filePath(QStringLiteral("index.txt")));
      json.open(QIODevice::ReadOnly);
      text.open(QIODevice::ReadOnly);
      return std::pair{QJsonDocument::fromJson(json.readAll()).object(), QString::fromUtf8(text.readAll())};
    };
    std::pair<QJsonObject, QString> between;
    const batch::ProgressLine progress = [&](int address, const QString& what) {
      if (address == 2 && what == QStringLiteral("подключение")) between = readIndex();
    };
    f.plan.fault = [](const QByteArray& r) { return std::uint8_t(r[0]) == 2 ? Fault::Vanish : Fault::None; };
    const batch::Result r = batch::runBatch(f.session, f.ws.jobs, f.prompts, names, o, progress);
    QCOMPARE(r.outcome, Outcome::PortFailure);
    QVERIFY(!f.portOpen());

    QCOMPARE(between.first.value(QStringLiteral("devices")).toArray().size(), 1);
    QCOMPARE(between.first.value(QStringLiteral("complete")).toBool(true), false);
    QVERIFY2(between.second.contains(QStringLiteral("\nНе завершено\n")), qPrintable(between.second));

    const auto [json, text] = readIndex();
    QCOMPARE(json.value(QStringLiteral("complete")).toBool(true), false);
    QCOMPARE(json.value(QStringLiteral("devices")).toArray().size(), 1);
    QVERIFY2(text.contains(QStringLiteral("Остановлено: ошибка порта")), qPrintable(text));
    QVERIFY(QFile::exists(dir.filePath(deviceAt(r, 1)->folder + QStringLiteral("/info.txt"))));
  }

  // A device whose identity cannot be decoded (its variant character is no
  // digit) is that device's failure, with the decoder's reason: the port is
  // sound and the devices after it are collected.
  void aDeviceWithABadIdentityFailsAloneWithItsReason() {
    DeviceFixture f;
    f.chooseRear(true);
    for (int address : {1, 2, 3}) f.add(address);
    sim::Device& bad = f.device(2);
    bad.setRegister(2, std::uint16_t((bad.registerValue(2) & 0xFF00) | 'X'));
    QTemporaryDir dir;
    batch::Options o;
    o.dir = dir.path();
    o.addresses = {1, 2, 3};
    o.parts = {batch::Part::Info, batch::Part::Params};
    o.today = f.clock.now().date();
    const batch::Result r = run(f, o);
    QCOMPARE(r.outcome, Outcome::Done);
    QVERIFY(!f.portOpen());
    QCOMPARE(r.devices.size(), 3);
    const QString reason = QStringLiteral("Неверный вариант исполнения устройства: \"X\" не является цифрой");
    for (int address : {1, 3}) {
      const batch::DeviceRecord* d = deviceAt(r, address);
      QVERIFY(d && !d->failed);
      for (const char* file : {"info.txt", "group1.ust", "group2.ust"})
        QVERIFY2(QFile::exists(dir.filePath(d->folder + QLatin1Char('/') + QLatin1String(file))), file);
    }
    QCOMPARE(deviceAt(r, 2)->why, reason);

    QFile json(dir.filePath(QStringLiteral("index.json")));
    QFile text(dir.filePath(QStringLiteral("index.txt")));
    QVERIFY(json.open(QIODevice::ReadOnly) && text.open(QIODevice::ReadOnly));
    const QJsonObject index = QJsonDocument::fromJson(json.readAll()).object();
    QCOMPARE(index.value(QStringLiteral("complete")).toBool(), true);
    const QJsonArray devices = index.value(QStringLiteral("devices")).toArray();
    QCOMPARE(devices.size(), 3);
    const QJsonObject two = devices[1].toObject();
    QCOMPARE(two.value(QStringLiteral("address")).toInt(), 2);
    QCOMPARE(two.value(QStringLiteral("failed")).toBool(), true);
    QCOMPARE(two.value(QStringLiteral("why")).toString(), reason);
    QVERIFY(two.value(QStringLiteral("folder")).isNull());
    const QString lines = QString::fromUtf8(text.readAll());
    QVERIFY2(lines.contains(QStringLiteral("ОШИБКА: ") + reason), qPrintable(lines));
    QVERIFY2(!lines.contains(QStringLiteral("Остановлено")), qPrintable(lines));
  }

  // Without the viewer library each oscillogram's .cfg is left out: the
  // batch says so once, not at every oscillogram of every device (a box
  // the unattended batch would wait at), and records it for each pair.
  void aMissingViewerLibraryIsSaidOnce() {
    DeviceFixture f;
    f.chooseRear(true);
    f.add(1);
    f.add(2);
    QTemporaryDir dir;
    batch::Options o;
    o.dir = dir.path();
    o.addresses = {1, 2};
    o.parts = {batch::Part::Osc};
    o.today = f.clock.now().date();
    const osc::FunctionNames missing = [](int, int) { return ViewName{ViewLoad::LibraryMissing, QString()}; };
    const batch::Result r = batch::runBatch(f.session, f.ws.jobs, f.prompts, missing, o, {});
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрзки библиотеки!")});
    int pairs = 0;
    for (int address : {1, 2})
      for (const batch::Item& i : deviceAt(r, address)->items) {
        QCOMPARE(i.part, QStringLiteral("osc"));
        QVERIFY2(i.file.endsWith(QLatin1String(".dat")) && i.why.contains(QLatin1String("View")),
                 qPrintable(i.file + QLatin1Char(' ') + i.why));
        QVERIFY(QFile::exists(dir.filePath(deviceAt(r, address)->folder + QLatin1Char('/') + i.file)));
        ++pairs;
      }
    QVERIFY(pairs >= 4);
  }

  void optionLists() {
    QCOMPARE(batch::parseAddresses(QStringLiteral("1-3,5")), (QList<int>{1, 2, 3, 5}));
    QCOMPARE(batch::parseAddresses(QStringLiteral("5,1,1")), (QList<int>{1, 5}));
    QVERIFY(!batch::parseAddresses(QStringLiteral("0")));
    QVERIFY(!batch::parseAddresses(QStringLiteral("3-1")));
    QVERIFY(!batch::parseAddresses(QStringLiteral("1-33")));
    QVERIFY(!batch::parseAddresses(QStringLiteral("x")));
    QVERIFY(!batch::parseAddresses(QString()));
    QCOMPARE(batch::parseParts(QStringLiteral("osc,info")),
             (QSet<batch::Part>{batch::Part::Osc, batch::Part::Info}));
    QVERIFY(!batch::parseParts(QStringLiteral("info,journal")));
    QVERIFY(!batch::parseParts(QString()));
  }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
