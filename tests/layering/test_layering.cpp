// The include rules between our folders (docs/architecture.md, "Layering"),
// and what operations leave to the device client: no frame lengths, no
// protocol-library calls, no register numbers of their own. Each rule holds
// for every source; the exceptions below are what is still to be fixed,
// one per line with the folder that fixes it. A fixed line must leave the
// list as well: an exception that no longer happens fails too.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

const QString kTop = QStringLiteral(VMK_SOURCE_DIR);

// The folders of the programs and libraries.
const QStringList kSourceFolders = {
    "extlib", "device", "model",  "link", "monitor", "params", "service", "journals",
    "reports", "shell", "app",    "ctl",  "sim",     "viewer", "about",   "oscview", "ranges",
    "changelog", "traffic", "batch", "csv"};
// Ours too, but no source folder may include them.
const QStringList kOtherFolders = {"tests", "bench"};

const QStringList kOperations = {"link", "monitor", "params", "service", "journals", "reports"};

QStringList allBut(const QStringList& excluded) {
  QStringList out;
  for (const QString& f : kSourceFolders)
    if (!excluded.contains(f)) out << f;
  return out;
}

// An include of ours that its folder's rule does not allow, still to be
// fixed by `fixer`.
struct IncludeException {
  const char* file;
  const char* header;
  const char* fixer;
};
// None left.
const QList<IncludeException> kIncludeExceptions;

// A rule of the operations that a file still breaks, to be fixed by `fixer`.
struct CodeException {
  const char* file;
  const char* rule;
  const char* fixer;
};
// None left.
const QList<CodeException> kCodeExceptions;

// Sources of a folder, relative to the top ("params/catalogue.cpp").
QStringList sourcesOf(const QString& folder) {
  QStringList out;
  const QDir top(kTop);
  QDirIterator it(top.filePath(folder), {"*.h", "*.cpp"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) out << top.relativeFilePath(it.next());
  out.sort();
  return out;
}

QStringList linesOf(const QString& file) {
  QFile f(QDir(kTop).filePath(file));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// Our headers a file includes ("device/session.h").
QStringList oursIncluded(const QString& file) {
  static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*["<]([^">]+)[">])"));
  QStringList out;
  for (const QString& line : linesOf(file)) {
    const QRegularExpressionMatch m = include.match(line);
    if (!m.hasMatch()) continue;
    const QString header = m.captured(1);
    const QString folder = header.section(QLatin1Char('/'), 0, 0);
    if (header.contains(QLatin1Char('/')) &&
        (kSourceFolders.contains(folder) || kOtherFolders.contains(folder)))
      out << header;
  }
  return out;
}

// A line without its comment and with its string and character literals
// emptied, so that a text or a note never counts as code.
QString codeOf(QString line) {
  static const QRegularExpression strings(QStringLiteral(R"("(\\.|[^"\\])*"|'(\\.|[^'\\])*')"));
  line.replace(strings, QStringLiteral("\"\""));
  const qsizetype comment = line.indexOf(QStringLiteral("//"));
  if (comment >= 0) line.truncate(comment);
  return line;
}

// What an operation leaves to the device client and the register map.
struct CodeRule {
  QString name;
  std::function<bool(const QString& code)> breaks;
};

const QList<CodeRule>& codeRules() {
  static const QList<CodeRule> rules = [] {
    // A reply measured by its caller.
    static const QRegularExpression measured(QStringLiteral(
        R"(\b\w*(reply|Reply|frame|Frame|answer|Answer)\w*\s*\.\s*(length|size)\s*\(\s*\)\s*(==|!=|<=|>=|<|>))"));
    static const QRegularExpression expected(QStringLiteral(R"(\bexpectedReplyLength\s*\()"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression setupCount(QStringLiteral(R"(\bkSetupCount\b)"));
    // The protocol library's exchanges; operations call the device client.
    static const QRegularExpression protocol(QStringLiteral(
        R"(\b(SetQuery|WriteWord|SendCommand|SetRealDateTime|func18h|func19h|func1903h|GetEvent|Getinterruption|GetBLockInterruption|GetF07)\s*\()"));
    // A register number of the map next to a register read or write.
    static const QRegularExpression number(
        QStringLiteral(R"((?<![\w.])(16|64|66|67|80|84|96|140|144|192|256|512)(?![\w.]))"));
    static const QRegularExpression registerWord(QStringLiteral("(reg|read|write|query|base|first|block)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    return QList<CodeRule>{
        {"reply length",
         [](const QString& c) { return measured.match(c).hasMatch() || expected.match(c).hasMatch(); }},
        {"setup count", [](const QString& c) { return setupCount.match(c).hasMatch(); }},
        {"protocol call", [](const QString& c) { return protocol.match(c).hasMatch(); }},
        {"register literal",
         [](const QString& c) { return number.match(c).hasMatch() && registerWord.match(c).hasMatch(); }},
    };
  }();
  return rules;
}

// The files the code rules hold for: the operation folders.
QStringList operationSources() {
  QStringList out;
  for (const QString& folder : kOperations) out << sourcesOf(folder);
  return out;
}

// Parameters and settings travel as values (params/param_set.h): a display
// text becomes words only where a text comes in, and only the window's
// grids show them.
struct ValueRule {
  QString name;
  QRegularExpression code;
  QStringList folders;  // where the rule holds
  QStringList allowed;  // the files that may
};

const QList<ValueRule>& valueRules() {
  static const QList<ValueRule> rules{
      // The catalogue's text-to-words call: the settings file and an edit
      // of a grid are the borders.
      {"text to words", QRegularExpression(QStringLiteral(R"(\bwordsFromText\s*\()")),
       kSourceFolders,
       {"params/catalogue.h", "params/catalogue.cpp", "params/param_grid_view.cpp",
        "params/settings_file.cpp"}},
      // No operation or vmkctl verb keeps parameters in a grid: the grid
      // view is the one file of params/ that knows grids.
      {"parameter grid", QRegularExpression(QStringLiteral(R"(\bTextGrid\b)")), {"params"},
       {"params/param_grid_view.h", "params/param_grid_view.cpp"}},
      // A grid of the parameter grids' size is the window's, on the
      // parameter page.
      {"parameter grid size",
       QRegularExpression(QStringLiteral(
           R"(\bTextGrid\b.*([({]\s*(62|32)\s*,|(paramRows|settingRows)\s*\(\s*\)\s*\.\s*size))")),
       kSourceFolders,
       {"shell/params_page.h"}},
      // The journals, the reports and the batch hold records; the renderer
      // is the one file that writes a grid.
      {"journal grid", QRegularExpression(QStringLiteral(R"(\bTextGrid\b)")), {"journals", "reports", "batch"},
       {"journals/journal_rows.h", "journals/journal_rows.cpp"}},
      // No operation or vmkctl verb builds a grid: the window's grids are
      // the workspace's.
      {"grid built", QRegularExpression(QStringLiteral(R"(\bTextGrid\s+\w+\s*[({]|\bTextGrid\s*[({]|new\s+TextGrid\b|make_unique\s*<\s*TextGrid\b)")),
       kSourceFolders,
       {"shell/params_page.h", "shell/journal_pages.cpp", "model/text_grid.h", "model/text_grid.cpp"}},
  };
  return rules;
}

// A port failure (TransportError) is caught where the program decides
// what follows it, and nowhere else: an operation asks the device client
// for it as an outcome (PortFailures::AsOutcome) or leaves it to the top
// levels, which catch every Error, its base (app/data_module.cpp,
// ctl/cli.cpp), show its text and close the port.
const ValueRule& portFailureRule() {
  static const ValueRule rule{
      "port failure caught",
      QRegularExpression(QStringLiteral(R"(\bcatch\s*\(\s*(const\s+)?(vmk::)?TransportError\b)")),
      kSourceFolders,
      {// The one exchange every request of the device client goes through.
       "device/device_client.cpp",
       // Polling reopens the port and goes on with the next address.
       "link/polling.cpp"}};
  return rule;
}

// The lines of the rule's folders that break it, outside its allowed files.
QStringList linesBreaking(const ValueRule& r) {
  QStringList lines;
  for (const QString& folder : r.folders)
    for (const QString& file : sourcesOf(folder)) {
      if (r.allowed.contains(file)) continue;
      const QStringList text = linesOf(file);
      for (int n = 0; n < text.size(); ++n)
        if (r.code.match(codeOf(text[n])).hasMatch())
          lines << QStringLiteral("%1:%2: %3").arg(file).arg(n + 1).arg(text[n].trimmed());
    }
  return lines;
}

}  // namespace

class TestLayering : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { QVERIFY(QFile::exists(QDir(kTop).filePath("CMakeLists.txt"))); }

  void eachFolderIncludesOnlyWhatItMay_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("folders");  // folders it may include
    QTest::addColumn<QStringList>("headers");  // single headers besides
    const QStringList none;
    QTest::newRow("extlib") << "extlib" << QStringList{"extlib"} << none;
    QTest::newRow("device") << "device" << QStringList{"device", "extlib"} << none;
    QTest::newRow("model") << "model" << QStringList{"model"} << none;
    QTest::newRow("changelog") << "changelog" << QStringList{"changelog", "device", "model", "extlib"}
                               << none;
    for (const QString& op : kOperations) {
      const QStringList shared = op == "params" || op == "monitor"
                                     ? QStringList{"service/password_check.h"}
                                     : none;
      QStringList folders{op, "device", "model", "extlib"};
      QStringList single = shared;
      // The device report prints the interface word as the connection
      // report does.
      if (op == "reports") single << "link/connection.h";
      // The settings sheet is made of a parameter set's words.
      if (op == "reports") single << "params/param_set.h" << "params/catalogue.h";
      // The value check before writing uses the editor's ranges.
      if (op == "params") folders << "ranges";
      // The journal tables are written as the viewer's export is.
      if (op == "journals") folders << "csv";
      QTest::newRow(qPrintable(op)) << op << folders << single;
    }
    QTest::newRow("shell") << "shell" << allBut({"app", "ctl"}) << none;
    QTest::newRow("app") << "app" << allBut({"ctl"}) << none;
    QTest::newRow("ctl") << "ctl" << allBut({"app"}) << none;
    QTest::newRow("sim") << "sim" << QStringList{"sim"}
                         << QStringList{"extlib/crc16.h",       "extlib/charset.h",
                                        "extlib/wire_table.h",  "extlib/registers.h",
                                        "extlib/serial_link.h", "extlib/transport_error.h",
                                        "extlib/mbap.h"};
    // Windows-1251 by the one table, in the libraries too.
    const QStringList table{"extlib/cp1251_table.h"};
    // The value editor names a recorder channel's bits as the register map
    // assigns them.
    QTest::newRow("viewer") << "viewer" << QStringList{"viewer", "ranges"}
                            << table + QStringList{"extlib/registers.h"};
    QTest::newRow("ranges") << "ranges" << QStringList{"ranges"}
                            << QStringList{"extlib/registers.h"};
    QTest::newRow("about") << "about" << QStringList{"about"} << table;
    QTest::newRow("oscview") << "oscview" << QStringList{"oscview", "csv"} << table;
    QTest::newRow("csv") << "csv" << QStringList{"csv"} << none;
    QTest::newRow("traffic") << "traffic" << QStringList{"traffic", "extlib"} << none;
    // The batch runs the operations of the other folders, one after another.
    QTest::newRow("batch") << "batch"
                           << QStringList{"batch", "device", "model", "extlib", "link", "params", "journals"}
                           << none;
  }
  void eachFolderIncludesOnlyWhatItMay() {
    QFETCH(QString, folder);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, headers);
    QSet<QString> expected;
    for (const IncludeException& e : kIncludeExceptions)
      if (QString::fromLatin1(e.file).startsWith(folder + QLatin1Char('/')))
        expected.insert(QString::fromLatin1(e.file) + QStringLiteral(" -> ") + e.header);

    QSet<QString> found;
    for (const QString& file : sourcesOf(folder))
      for (const QString& header : oursIncluded(file))
        if (!folders.contains(header.section(QLatin1Char('/'), 0, 0)) && !headers.contains(header))
          found.insert(file + QStringLiteral(" -> ") + header);

    QStringList breaks = (found - expected).values();
    QStringList fixed = (expected - found).values();
    breaks.sort();
    fixed.sort();
    QVERIFY2(breaks.isEmpty(), qPrintable(QStringLiteral("not allowed:\n  ") + breaks.join("\n  ")));
    QVERIFY2(fixed.isEmpty(),
             qPrintable(QStringLiteral("fixed, remove the exception:\n  ") + fixed.join("\n  ")));
  }

  void operationsLeaveFramesAndRegistersToTheDeviceClient_data() {
    QTest::addColumn<QString>("rule");
    for (const CodeRule& r : codeRules()) QTest::newRow(qPrintable(r.name)) << r.name;
  }
  void operationsLeaveFramesAndRegistersToTheDeviceClient() {
    QFETCH(QString, rule);
    const CodeRule* r = nullptr;
    for (const CodeRule& c : codeRules())
      if (c.name == rule) r = &c;
    QVERIFY(r);
    QSet<QString> expected;
    for (const CodeException& e : kCodeExceptions)
      if (rule == QLatin1String(e.rule)) expected.insert(QString::fromLatin1(e.file));

    QSet<QString> files;
    QStringList lines;
    for (const QString& file : operationSources()) {
      const QStringList text = linesOf(file);
      for (int n = 0; n < text.size(); ++n)
        if (r->breaks(codeOf(text[n]))) {
          files.insert(file);
          if (!expected.contains(file))
            lines << QStringLiteral("%1:%2: %3").arg(file).arg(n + 1).arg(text[n].trimmed());
        }
    }
    QStringList fixed = (expected - files).values();
    fixed.sort();
    QVERIFY2(lines.isEmpty(), qPrintable(rule + QStringLiteral(":\n  ") + lines.join("\n  ")));
    QVERIFY2(fixed.isEmpty(), qPrintable(rule + QStringLiteral(" fixed, remove the exception:\n  ") +
                                         fixed.join("\n  ")));
  }

  void parametersTravelAsValues_data() {
    QTest::addColumn<int>("rule");
    for (int i = 0; i < valueRules().size(); ++i)
      QTest::newRow(qPrintable(valueRules()[i].name)) << i;
  }
  void parametersTravelAsValues() {
    QFETCH(int, rule);
    const ValueRule& r = valueRules()[rule];
    QVERIFY(r.code.isValid());
    const QStringList lines = linesBreaking(r);
    QVERIFY2(lines.isEmpty(), qPrintable(r.name + QStringLiteral(":\n  ") + lines.join("\n  ")));
  }

  void portFailuresAreCaughtOnlyWhereTheyAreDecided() {
    const ValueRule& r = portFailureRule();
    QVERIFY(r.code.isValid());
    const QStringList lines = linesBreaking(r);
    QVERIFY2(lines.isEmpty(), qPrintable(r.name + QStringLiteral(":\n  ") + lines.join("\n  ")));
    // Each allowed file still catches one: a file that no longer does
    // leaves the list.
    for (const QString& file : r.allowed) {
      bool catches = false;
      for (const QString& line : linesOf(file)) catches = catches || r.code.match(codeOf(line)).hasMatch();
      QVERIFY2(catches, qPrintable(file + QStringLiteral(" catches no port failure: remove it")));
    }
  }

  // The rules themselves: what counts as breaking them.
  void theCodeRulesTellCodeFromTextAndNotes_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("breaks");
    QTest::newRow("length compared") << "reply length" << "if (reply.length() != 49) {" << true;
    QTest::newRow("expected length") << "reply length" << "n == ExpectedReplyLength(count)" << true;
    QTest::newRow("text length") << "reply length" << "if (text.size() != 4) return;" << false;
    QTest::newRow("library call") << "protocol call" << "s.modbus.SetQuery(s.link(), a, 3, f, n, r);"
                                  << true;
    QTest::newRow("device client") << "protocol call" << "client.sendCommand(code);" << false;
    QTest::newRow("in a note") << "protocol call" << "// SetQuery(...) used to be here" << false;
    QTest::newRow("register number") << "register literal" << "client.writeWord(66, w);" << true;
    QTest::newRow("from the map") << "register literal" << "client.writeWord(reg::kPassword, w);"
                                  << false;
    QTest::newRow("in a text") << "register literal" << "read(QStringLiteral(\"РТ-80\"));" << false;
    QTest::newRow("bit count") << "register literal" << "LowBitsStr(word, 16);" << false;
    QTest::newRow("port failure caught") << "port failure" << "} catch (const TransportError&) {" << true;
    QTest::newRow("named port failure") << "port failure" << "catch (const vmk::TransportError& e)" << true;
    QTest::newRow("every error caught") << "port failure" << "} catch (const Error& e) {" << false;
    QTest::newRow("port failure thrown") << "port failure" << "throw TransportError(text);" << false;
    QTest::newRow("port failure noted") << "port failure" << "// catch (const TransportError&)" << false;
  }
  void theCodeRulesTellCodeFromTextAndNotes() {
    QFETCH(QString, rule);
    QFETCH(QString, line);
    QFETCH(bool, breaks);
    for (const CodeRule& r : codeRules())
      if (r.name == rule) QCOMPARE(r.breaks(codeOf(line)), breaks);
    if (rule == QLatin1String("port failure"))
      QCOMPARE(portFailureRule().code.match(codeOf(line)).hasMatch(), breaks);
  }
};

QTEST_GUILESS_MAIN(TestLayering)
#include "test_layering.moc"
