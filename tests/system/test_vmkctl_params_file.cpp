// vmkctl's params new, show, edit and check as processes, on files no
// device ever saw: a variant's new file, the same file saved again by
// another editor (UTF-8, with or without a byte-order mark, CRLF lines)
// and changed there by hand, then edited by caption. A refused edit leaves
// the file's bytes as they were and exits 3 with the row and the reason.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/charset.h"
#include "tests/system/sim_process.h"

using vmk::test::Run;
using vmk::test::run;

namespace {

Run vmkctl(const QStringList& args) { return run(QStringLiteral(VMKCTL_PATH), args); }

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(bytes), bytes.size());
}

bool isUtf8(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);
  return !utf8.hasError() && !text.isEmpty();
}

// The stored rows of both grids: 56 parameters, 24 settings.
constexpr int kStoredRows = 56 + 24;

}  // namespace

class TestVmkctlParamsFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void preparedFiles_data();
  void preparedFiles();
};

void TestVmkctlParamsFile::preparedFiles_data() {
  QTest::addColumn<int>("variant");
  QTest::addColumn<QString>("editor");      // how the file is saved again: "", "utf8", "bom"
  QTest::addColumn<QStringList>("byHand");  // a line changed there, {from, to}
  QTest::addColumn<QString>("checkBad");    // the row check names, empty: exit 0
  QTest::addColumn<QStringList>("edit");
  QTest::addColumn<int>("editExit");
  QTest::addColumn<QString>("after");  // the line show prints after the edit, or the reason

  QTest::newRow("variant 1: two rows, either separator")
      << 1 << "" << QStringList{} << ""
      << QStringList{"Время МТЗ-1, с=0.30", " Уставки: Ток МТЗ-1, кратность In (A) = 5,00 "} << 0
      << "Ток МТЗ-1, кратность In (A)\t5,00";
  QTest::newRow("variant 3: no journal, no recorder")
      << 3 << "" << QStringList{} << "" << QStringList{"Адрес устройства=12"} << 0
      << "Активные ступени\t000110000000000";
  QTest::newRow("UTF-8 from another editor, changed by hand")
      << 2 << "utf8" << QStringList{"Время АПВ 1й ступени=3.00", "Время АПВ 1й ступени=5.00"} << ""
      << QStringList{"Параметры: Индикатор 8=0000000000000000000001"} << 0
      << "Время АПВ 1й ступени, с\t5.00";
  QTest::newRow("UTF-8 with a byte-order mark")
      << 1 << "bom" << QStringList{} << "" << QStringList{"Активные ступени=110110000000001"} << 0
      << "Активные ступени\t110110000000001";
  QTest::newRow("a value out of range by hand: check names it")
      << 1 << "utf8" << QStringList{"Время МТЗ-2=0.000", "Время МТЗ-2=600"}
      << "Время МТЗ-2, с\t600\tвне допустимого диапазона, допустимо от 0.00 до 100.00 с"
      << QStringList{"Время МТЗ-2, с=0.5"} << 0 << "Время МТЗ-2, с\t0.5";
  QTest::newRow("a caption that does not exist")
      << 1 << "" << QStringList{} << "" << QStringList{"Время МТЗ-1, с=0.30", "Время МТЗ-4, с=1"} << 3
      << "«Время МТЗ-4, с» = «1»: нет строки параметров или уставок с таким названием";
  QTest::newRow("a value out of range")
      << 2 << "utf8" << QStringList{} << "" << QStringList{"Время МТЗ-1, с=600"} << 3
      << "«Время МТЗ-1, с» = «600»: вне допустимого диапазона, допустимо от 0.00 до 100.00 с";
  QTest::newRow("a value that does not parse")
      << 1 << "bom" << QStringList{} << "" << QStringList{"Ток ЗНЗ, кратность In (A)=0,0x5"} << 3
      << "«Ток ЗНЗ, кратность In (A)» = «0,0x5»: значение не является числом";
  QTest::newRow("a row no file stores")
      << 1 << "" << QStringList{} << "" << QStringList{"Пароль=AAAA"} << 3
      << "«Пароль» = «AAAA»: строка не хранится в файле уставок";
  QTest::newRow("a characteristic that names none")
      << 3 << "" << QStringList{} << "" << QStringList{"Тип характеристики="} << 3
      << "«Тип характеристики» = «»: значение не задаёт величину строки";
}

void TestVmkctlParamsFile::preparedFiles() {
  QFETCH(int, variant);
  QFETCH(QString, editor);
  QFETCH(QStringList, byHand);
  QFETCH(QString, checkBad);
  QFETCH(QStringList, edit);
  QFETCH(int, editExit);
  QFETCH(QString, after);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("relay.ust"));

  Run r = vmkctl({"params", "new", "--variant", QString::number(variant), "-o", path});
  QVERIFY2(r.exitCode == 0, qPrintable(r.err));
  QVERIFY(!isUtf8(readBytes(path)));  // Windows-1251, as params get writes
  // A file there already is never replaced.
  const QByteArray made = readBytes(path);
  r = vmkctl({"params", "new", "--variant", "1", "-o", path});
  QCOMPARE(r.exitCode, 3);
  QCOMPARE(readBytes(path), made);

  // Another editor saves it again, the engineer changing a line there.
  if (!editor.isEmpty() || !byHand.isEmpty()) {
    QString text = vmk::cp1251::decode(made);
    if (!byHand.isEmpty()) {
      QVERIFY(text.contains(byHand[0]));
      text.replace(byHand[0], byHand[1]);
    }
    QByteArray bytes = editor.isEmpty() ? vmk::cp1251::encode(text) : text.toUtf8();
    if (!editor.isEmpty()) bytes.replace("\n", "\r\n").replace("\r\r\n", "\r\n");
    if (editor == QLatin1String("bom")) bytes.prepend("\xEF\xBB\xBF");
    writeBytes(path, bytes);
  }

  r = vmkctl({"--json", "params", "show", path});
  QCOMPARE(r.exitCode, 0);
  const QJsonObject shown = QJsonDocument::fromJson(r.out.toUtf8()).object();
  QCOMPARE(shown["parameters"].toArray().size() + shown["settings"].toArray().size(), kStoredRows);
  const QJsonObject firstSetting = shown["settings"].toArray().first().toObject();
  QCOMPARE(firstSetting["caption"].toString(), QStringLiteral("Активные ступени"));
  QCOMPARE(firstSetting["registers"].toArray(), QJsonArray{256});

  r = vmkctl({"params", "check", path});
  QCOMPARE(r.exitCode, checkBad.isEmpty() ? 0 : 3);
  QCOMPARE(r.out.trimmed(), checkBad);

  const QByteArray before = readBytes(path);
  r = vmkctl(QStringList{"params", "edit", path} + edit);
  QCOMPARE(r.exitCode, editExit);
  if (editExit != 0) {
    QVERIFY2(r.err.contains(after), qPrintable(r.err));
    QCOMPARE(readBytes(path), before);
    return;
  }
  const QByteArray edited = readBytes(path);
  // The codec the file was in, its other rows as they were.
  QCOMPARE(isUtf8(edited), !editor.isEmpty());
  r = vmkctl({"params", "show", path});
  QCOMPARE(r.exitCode, 0);
  const QStringList lines = r.out.trimmed().split(u'\n');
  QCOMPARE(lines.size(), kStoredRows);
  QVERIFY2(lines.contains(after), qPrintable(r.out));
  r = vmkctl({"params", "check", path});
  QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
}

QTEST_GUILESS_MAIN(TestVmkctlParamsFile)
#include "test_vmkctl_params_file.moc"
