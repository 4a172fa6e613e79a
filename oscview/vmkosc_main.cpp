// vmkosc: the oscillogram viewer on its own, so that a file manager can
// open COMTRADE files with it; and the recording's summary and analysis as
// text for scripts.

#include <QApplication>
#include <QFileInfo>
#include <QTabWidget>
#include <cmath>
#include <cstdio>

#include "oscview/osc_analysis_panel.h"
#include "oscview/osc_report.h"
#include "oscview/osc_window.h"
#include "oscview/qt_translation.h"

namespace {

const char kUsage[] =
    "vmkosc [FILE] [--compare FILE2 [--shift MS]] [--screenshot PNG [--tab values|analysis|description]]\n"
    "vmkosc --info FILE [--at MS]\n"
    "\n"
    "Shows a COMTRADE recording: a .cfg with its .dat (.hdr and .inf beside it\n"
    "when present), or a 2013 single file .cff; revisions 1991, 1999 and 2013,\n"
    "data in ASCII, BINARY, BINARY32 or FLOAT32.\n"
    "  --compare FILE2   a second recording beside the first, aligned on the triggers\n"
    "  --shift MS        the second recording moved by MS milliseconds\n"
    "  --screenshot PNG  saves the window (cursors at 0 and 40 ms) and exits\n"
    "  --tab NAME        the side tab the screenshot shows\n"
    "  --info FILE       prints the recording's summary and exits\n"
    "  --at MS           with --info: the phasors, symmetrical components and\n"
    "                    harmonics at MS milliseconds from the trigger\n"
    "  --help            this text\n";

struct Options {
  QString file, second, shot, tab;
  double shift = 0, at = 0;
  bool info = false, hasAt = false;
};

// Returns the exit code to stop with, or -1 to go on.
int parse(const QStringList& args, Options& o) {
  auto value = [&args](int& i, QString& out) {
    if (i + 1 >= args.size()) return false;
    out = args[++i];
    return true;
  };
  auto number = [&value](int& i, double& out) {
    QString text;
    bool ok = false;
    if (value(i, text)) out = text.toDouble(&ok);
    return ok && std::isfinite(out);
  };
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    bool ok = true;
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == QLatin1String("--screenshot")) {
      ok = value(i, o.shot);
    } else if (a == QLatin1String("--tab")) {
      ok = value(i, o.tab);
    } else if (a == QLatin1String("--compare")) {
      ok = value(i, o.second);
    } else if (a == QLatin1String("--shift")) {
      ok = number(i, o.shift);
    } else if (a == QLatin1String("--info")) {
      o.info = true;
      ok = value(i, o.file);
    } else if (a == QLatin1String("--at")) {
      ok = o.hasAt = number(i, o.at);
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      std::fprintf(stderr, "vmkosc: unknown option %s\n%s", qPrintable(a), kUsage);
      return 2;
    } else if (o.file.isEmpty()) {
      o.file = a;
    } else {
      std::fprintf(stderr, "vmkosc: one file only (a second with --compare)\n");
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "vmkosc: %s needs a value\n%s", qPrintable(a), kUsage);
      return 2;
    }
  }
  if (o.hasAt && !o.info) {
    std::fprintf(stderr, "vmkosc: --at goes with --info\n");
    return 2;
  }
  return -1;
}

int printInfo(const Options& o) {
  const vmk::oscview::LoadResult r = vmk::oscview::loadComtrade(o.file);
  if (!r.ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(r.error));
    return 1;
  }
  using namespace vmk::oscview;
  std::fputs(infoText(r.recording, QFileInfo(o.file).fileName()).toUtf8().constData(), stdout);
  if (o.hasAt) {
    const AnalysisAt at = analyseAt(r.recording, o.at, defaultReference(r.recording), phaseGroups(r.recording));
    std::fputs(("\n" + rowsAsText(analysisRows(r.recording, at))).toUtf8().constData(), stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The text modes need no display.
  for (int i = 1; i < argc; ++i)
    if (qstrcmp(argv[i], "--info") == 0 || qstrcmp(argv[i], "--help") == 0 || qstrcmp(argv[i], "-h") == 0) {
      QCoreApplication core(argc, argv);
      Options o;
      const int rc = parse(core.arguments().mid(1), o);
      return rc >= 0 ? rc : printInfo(o);
    }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vmkosc"));
  vmk::oscview::installQtTranslation(app);
  Options o;
  const int rc = parse(app.arguments().mid(1), o);
  if (rc >= 0) return rc;

  vmk::oscview::OscViewWindow window;
  window.show();
  const bool shooting = !o.shot.isEmpty();
  window.setShowErrors(!shooting);
  if (!o.file.isEmpty()) {
    QString error = window.open(o.file);
    if (error.isEmpty() && !o.second.isEmpty()) error = window.openSecond(o.second);
    if (error.isEmpty() && o.shift != 0) window.setSecondShift(o.shift);
    if (shooting && !error.isEmpty()) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return 1;
    }
  } else if (shooting) {
    std::fprintf(stderr, "vmkosc: no file\n");
    return 1;
  }
  if (!shooting) return app.exec();
  // The cursors over the fault's first cycles.
  window.setCursorTime(0, 0);
  window.setCursorTime(1, 40);
  const QStringList tabs{QStringLiteral("values"), QStringLiteral("analysis"), QStringLiteral("description")};
  if (tabs.contains(o.tab)) window.tabs()->setCurrentIndex(int(tabs.indexOf(o.tab)));
  QApplication::processEvents();
  return window.grab().save(o.shot) ? 0 : 1;
}
