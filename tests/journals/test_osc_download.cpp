// The oscillogram download against the simulated device: the pair it
// writes, the blocks asked again after a lost or spoilt reply, the
// failures and the cancel that leave no file and an older pair as it was,
// the viewer library missing, and the alarm popup's questions.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "device/codecs.h"
#include "extlib/charset.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"
#include "journals/alarm_list.h"
#include "journals/comtrade_cfg.h"
#include "journals/comtrade_standard.h"
#include "journals/messages.h"
#include "journals/osc_download.h"
#include "model/messages.h"
#include "model/progress.h"
#include "model/text_grid.h"
#include "model/page_state.h"
#include "shell/journal_commands.h"
#include "shell/osc_commands.h"
#include "tests/journals/journal_support.h"

using namespace vmk;
using namespace vmk::test;

namespace {

namespace m = msg::journals;

ViewName names(int kind, int index) {
  return {ViewLoad::Loaded, QStringLiteral("Ф%1.%2").arg(kind).arg(index)};
}
ViewName missing(int, int) { return {ViewLoad::LibraryMissing, {}}; }

bool isBlock(const QByteArray& request, int block = -1) {
  return request.size() == 7 && std::uint8_t(request[1]) == wire::kOscBlock &&
         (block < 0 || wire::wordAt(request, 3) == block);
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

struct Download : DeviceFixture {
  QTemporaryDir dir;
  Download() {
    add(1);
    connectTo(1);
  }
  QString base() const { return dir.filePath(QStringLiteral("osc")); }
  // "Получить данные" on the alarm page.
  void readAlarmPage() {
    ws.pages.setActivePage(kPageAlarm);
    actGetDataExecute(ws, ws.journals);
  }
  osc::Target target(int entry = 0) {
    osc::Target t;
    t.entry = entry;
    t.phaseRatio = 120;
    t.earthRatio = 50;
    t.alarmTime = device().recorder().when(entry);
    t.base = base();
    return t;
  }
  osc::DownloadResult run(const osc::Target& t, const osc::FunctionNames& n = names) {
    return osc::downloadOscillogram(session, ws.jobs, &ws.journals.GugAlarm, prompts, n, t);
  }
  // An older pair of the same name.
  void oldPair() {
    QFile cfg(base() + ".cfg"), dat(base() + ".dat");
    QVERIFY(cfg.open(QIODevice::WriteOnly) && dat.open(QIODevice::WriteOnly));
    cfg.write("old cfg");
    dat.write("old dat");
  }
  void oldPairUntouched() {
    QCOMPARE(readAll(base() + ".cfg"), QByteArray("old cfg"));
    QCOMPARE(readAll(base() + ".dat"), QByteArray("old dat"));
    QCOMPARE(filesIn(dir.path()), (QStringList{"osc.cfg", "osc.dat"}));
  }
};

}  // namespace

class TestOscDownload : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void wholeDownloadWritesThePair() {
    Download f;
    const osc::DownloadResult r = f.run(f.target(0));
    QCOMPARE(r.outcome, Outcome::Done);
    QVERIFY(r.cfgWritten);
    QCOMPARE(r.blocksRead, 250);
    QCOMPARE(r.retries, 0);
    // One channel-assignment read, then the blocks 0..249 in order.
    const QList<QByteArray> reqs = f.requests();
    QCOMPARE(reqs.size(), 251);
    QCOMPARE(wire::wordAt(reqs[0], 2), int(reg::kChannels.first));
    QCOMPARE(wire::wordAt(reqs[0], 4), int(reg::kChannels.count));
    for (int b = 0; b < 250; ++b) QVERIFY(isBlock(reqs[b + 1], b));
    QCOMPARE(filesIn(f.dir.path()), (QStringList{"osc.cfg", "osc.dat"}));

    const QList<QByteArray> cfg = readAll(f.base() + ".cfg").split('\n');
    QCOMPARE(cfg.size(), 29);  // 28 lines ended by CR LF
    const QString station = osc::stationLine(f.session.vmk.Name, f.session.vmk.SerialNumber,
                                        VersionText(f.session.vmk.VersionWord));
    QCOMPARE(cfg[0], cp1251::encode(station) + "\r");
    QCOMPARE(cfg[2], QByteArray("01,\xd2\xee\xea Ia,,,A,1.200000,0.000000,0,-32768,32767\r"));
    // The simulator gives channel n function n - 1 (names of list kind 7).
    QCOMPARE(cfg[6], cp1251::encode(QStringLiteral("1,Ф7.0,0\r")));
    QCOMPARE(cfg[21], cp1251::encode(QStringLiteral("16,Ф7.15,0\r")));
    const QString when = f.device().recorder().when(0).toString(QStringLiteral("dd/MM/yy,HH:mm:ss"));
    QCOMPARE(cfg[25], when.toLatin1() + ".000000\r");

    // The data lines are the device's samples with the glitches filtered.
    const QList<QByteArray> dat = readAll(f.base() + ".dat").split('\n');
    QCOMPARE(dat.size(), 6001);
    const std::vector<sim::OscSample>& sent = f.device().recorder().samples(0);
    for (int s : {0, 799, 800, 1500, 5999}) {
      const QList<QByteArray> fields = dat[s].trimmed().split(',');
      QCOMPARE(fields.size(), 22);
      QCOMPARE(fields[0], FormatSample32(std::uint32_t(s + 1), 8).toLatin1());
      QCOMPARE(fields[2], FormatSample16(std::uint16_t(sent[std::size_t(s)].ia), 8).toLatin1());
      QCOMPARE(fields[5], FormatSample16(std::uint16_t(sent[std::size_t(s)].io), 8).toLatin1());
    }
    const std::vector<int> glitches = f.device().recorder().glitches(0);
    QVERIFY(!glitches.empty());
    // Each glitch loses its one flipped bit of channels 1..12; every other
    // sample is as sent.
    for (int s = 0; s < 6000; ++s) {
      const int changed = sent[std::size_t(s)].digital ^ r.samples[std::size_t(s)].digital;
      const bool glitch = std::find(glitches.begin(), glitches.end(), s) != glitches.end();
      QCOMPARE(changed != 0, glitch);
      if (glitch) QVERIFY(changed < 0x1000 && (changed & (changed - 1)) == 0);
    }
    // The gauge ran to 249 of 254 and is hidden at 12 again.
    QCOMPARE(f.steps.size(), 250);
    QCOMPARE(f.steps.last(), 249);
    QVERIFY(!f.ws.journals.GugAlarm.isVisible());
    QCOMPARE(f.ws.journals.GugAlarm.maximum(), 12);
    QVERIFY(!f.portOpen());
  }

  void aBlockLostOnceIsAskedAgain_data() {
    QTest::addColumn<int>("fault");
    QTest::newRow("silence") << int(Fault::Silence);
    QTest::newRow("cut short") << int(Fault::Truncate);
    QTest::newRow("exception") << int(Fault::Refuse);
  }
  void aBlockLostOnceIsAskedAgain() {
    QFETCH(int, fault);
    Download f;
    int seen = 0;
    f.plan.fault = [&](const QByteArray& r) {
      return isBlock(r, 77) && seen++ == 0 ? Fault(fault) : Fault::None;
    };
    const osc::DownloadResult r = f.run(f.target(1));
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.retries, 1);
    QCOMPARE(f.plan.requests.size(), 252);
    QCOMPARE(readAll(f.base() + ".dat").count("\r\n"), 6000);
  }

  void aBlockOfAnotherNumberOrABadCrcIsAskedAgain() {
    Download f;
    int spoilt = 0;
    rewriteReplies(f, [&](const QByteArray& request, QByteArray& frame) {
      if (isBlock(request, 3) && spoilt++ < 2) frame[4] = char(4);  // word 0 says block 4
    });
    const osc::DownloadResult r = f.run(f.target(0));
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.retries, 2);
  }

  void aBlockThatNeverAnswersLeavesNoFile() {
    Download f;
    f.oldPair();
    f.plan.fault = [](const QByteArray& r) { return isBlock(r, 200) ? Fault::Silence : Fault::None; };
    const osc::DownloadResult r = f.run(f.target(0));
    QCOMPARE(r.outcome, Outcome::NoAnswer);
    QCOMPARE(r.blocksRead, 200);
    QCOMPARE(f.plan.requestsOf(wire::kOscBlock).size(), 204);  // asked 1 + 3 times
    f.oldPairUntouched();
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.journals.GugAlarm.isVisible());
    QCOMPARE(f.ws.journals.GugAlarm.maximum(), 12);
  }

  void aPortFailureLeavesNoFile() {
    Download f;
    f.plan.fault = [](const QByteArray& r) { return isBlock(r, 5) ? Fault::Throw : Fault::None; };
    QCOMPARE(f.run(f.target(0)).outcome, Outcome::PortFailure);
    QCOMPARE(filesIn(f.dir.path()), QStringList{});
    QCOMPARE(f.plan.requestsOf(wire::kOscBlock).size(), 6);  // never asked again
  }

  void aCancelAtBlock100LeavesNoFile() {
    Download f;
    f.oldPair();
    f.atStep = [&](int position) {
      if (position == 100) f.ws.jobs.requestCancel();
    };
    const osc::DownloadResult r = f.run(f.target(0));
    QCOMPARE(r.outcome, Outcome::Cancelled);
    QCOMPARE(r.blocksRead, 100);
    QCOMPARE(f.plan.requestsOf(wire::kOscBlock).size(), 100);
    f.oldPairUntouched();
    QVERIFY(!f.portOpen());
  }

  void theChannelAssignmentsAreCheckedAndAskedAgain() {
    Download f;
    int lost = 0;
    f.plan.fault = [&](const QByteArray& r) {
      return !isBlock(r) && lost++ < 3 ? Fault::Truncate : Fault::None;
    };
    const osc::DownloadResult r = f.run(f.target(0));
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.retries, 3);

    Download g;
    g.oldPair();
    g.plan.fault = [](const QByteArray& r) { return isBlock(r) ? Fault::None : Fault::Silence; };
    QCOMPARE(g.run(g.target(0)).outcome, Outcome::NoAnswer);
    QCOMPARE(g.plan.requestsOf(wire::kOscBlock).size(), 0);
    g.oldPairUntouched();
  }

  void withoutTheViewerLibraryOnlyTheDataFile() {
    Download f;
    const osc::DownloadResult r = f.run(f.target(0), missing);
    QCOMPARE(r.outcome, Outcome::Done);
    QVERIFY(!r.cfgWritten);
    QCOMPARE(f.prompts.boxTexts(), QStringList{viewLoadMessage(ViewLoad::LibraryMissing)});
    QCOMPARE(f.prompts.asked().first().buttons, QList<Button>{Button::Abort});
    QCOMPARE(filesIn(f.dir.path()), QStringList{"osc.dat"});
    // No assignment read without the names.
    QCOMPARE(f.plan.requests.size(), 250);
  }

  void aFolderThatCannotBeWrittenIsSaid() {
    Download f;
    osc::Target t = f.target(0);
    t.base = f.dir.filePath(QStringLiteral("no/such/folder/osc"));
    const osc::DownloadResult r = f.run(t);
    QCOMPARE(r.outcome, Outcome::InputRefused);
    QVERIFY(r.error.startsWith(QStringLiteral("Не удалось записать файл")));
    QCOMPARE(filesIn(f.dir.path()), QStringList{});
  }

  void popupQuestions() {
    Download f;
    f.ws.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    f.ws.pages.setActivePage(6);
    // Row without a record: the offer to read the list; No reads nothing.
    f.ws.journals.grdAlarm.setCurrentRow(0);
    f.prompts.answerBox(Button::No);
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), QStringList{m::kOscNoList});
    QCOMPARE(f.prompts.asked().first().buttons, (QList<Button>{Button::Yes, Button::No}));
    QCOMPARE(f.requests().size(), 0);
    // Yes reads the alarm list, nothing more.
    f.prompts.forget();
    f.prompts.answerBox(Button::Yes);
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.requests().size(), 1);
    QCOMPARE(f.ws.journals.grdAlarm.cell(2, 0), QStringLiteral("0"));
    QCOMPARE(f.ws.journals.grdAlarm.cell(2, 2), QStringLiteral("-1"));

    // An entry the list read says holds no fault: no offer to read the
    // list again, whatever its row shows.
    f.prompts.forget();
    f.ws.journals.grdAlarm.setCurrentRow(2);
    f.ws.journals.grdAlarm.setCell(1, 2, QStringLiteral("x"));
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), QStringList{m::kOscNoEntry});
    f.prompts.forget();
    f.ws.journals.grdAlarm.setCell(1, 2, QString());
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), QStringList{m::kOscNoEntry});

    // No to the confirmation (its first button) ends it before the port.
    f.prompts.forget();
    f.forgetRequests();
    f.ws.journals.grdAlarm.setCurrentRow(0);
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), QStringList{m::kOscConfirm});
    QCOMPARE(f.prompts.asked().first().icon, BoxIcon::Confirm);
    QCOMPARE(f.prompts.asked().first().buttons, (QList<Button>{Button::No, Button::Ok}));
    const int opens = f.opens();

    // Cancelling the file dialog closes the port silently.
    f.prompts.forget();
    f.prompts.answerBox(Button::Ok);
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.asked().size(), 2);
    QCOMPARE(f.prompts.asked()[1].kind, QStringLiteral("save"));
    QCOMPARE(f.prompts.asked()[1].text, m::kOscFilter + "|" + m::kOscStandardFilter);
    QCOMPARE(f.opens(), opens + 1);
    QVERIFY(!f.portOpen());
    QCOMPARE(f.requests().size(), 0);
  }

  void popupDownloadsTheSelectedRow() {
    Download f;
    f.ws.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    f.ws.pages.setActivePage(6);
    f.readAlarmPage();
    f.ws.journals.grdAlarm.setCurrentRow(3);
    f.prompts.answerBox(Button::Ok);
    f.prompts.answerSave(f.base() + ".cfg");
    bool disabled = false;
    f.atStep = [&](int) { disabled = disabled || !f.ws.pages.isWindowEnabled(); };
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), (QStringList{m::kOscConfirm, m::kOscDone}));
    QVERIFY(disabled);
    QVERIFY(f.ws.pages.isWindowEnabled());
    for (const QByteArray& r : f.plan.requestsOf(wire::kOscBlock)) QCOMPARE(int(r[2]), 3);
    // The viewer library beside the program names the channels.
    const QByteArray cfg = readAll(f.base() + ".cfg");
    QVERIFY(cfg.contains(cp1251::encode(QStringLiteral("1,Пуск МТЗ-1,0\r\n"))));
    QVERIFY(!f.portOpen());
  }

  void popupAtMidnightReadsTheDateAlone() {
    Download f;
    f.ws.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    f.readAlarmPage();
    // Entry 5 is a recording at midnight: the grid shows its date alone.
    QVERIFY(!f.ws.journals.grdAlarm.cell(0, 5).contains(QLatin1Char(':')));
    f.ws.journals.grdAlarm.setCurrentRow(5);
    f.prompts.answerBox(Button::Ok);
    f.prompts.answerSave(f.base());
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts().last(), m::kOscDone);
    const QList<QByteArray> cfg = readAll(f.base() + ".cfg").split('\n');
    const QDate day = f.device().recorder().when(5).date();
    QCOMPARE(cfg[25], day.toString(QStringLiteral("dd/MM/yy")).toLatin1() + ",00:00:00.000000\r");
  }

  void popupAfterAFailureSaysSoAndKeepsTheOlderPair() {
    Download f;
    f.ws.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    f.oldPair();
    f.readAlarmPage();
    f.ws.journals.grdAlarm.setCurrentRow(0);
    f.prompts.answerBox(Button::Ok);
    f.prompts.answerSave(f.base() + ".cfg");
    f.plan.fault = [](const QByteArray& r) { return isBlock(r, 249) ? Fault::Silence : Fault::None; };
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts().last(), msg::kLinkError);
    f.oldPairUntouched();

    // A cancel says "Операция прервана" and shows no box.
    f.prompts.forget();
    f.plan.fault = {};
    f.prompts.answerBox(Button::Ok);
    f.prompts.answerSave(f.base() + ".cfg");
    f.atStep = [&](int position) {
      if (position == 10) f.ws.jobs.requestCancel();
    };
    actGetInterruptExecute(f.ws, f.ws.journals);
    QCOMPARE(f.prompts.boxTexts(), QStringList{m::kOscConfirm});
    QCOMPARE(f.ws.status.text(3), msg::kOperationCancelled);
    f.oldPairUntouched();
  }
};

QTEST_GUILESS_MAIN(TestOscDownload)
#include "test_osc_download.moc"
