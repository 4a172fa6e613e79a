#pragma once
// Runs vmksim for a test: starts it on a pseudo-terminal in a fresh temporary
// folder (or over TCP on a port the system chooses), waits for its "ready
// PATH" line, and stops it by its own process id (SIGTERM, then SIGKILL)
// when the test is done.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace vmk::test {

// What a program run to its end left: its exit code (-1 when it crashed or
// did not end within the time-out) and its output.
struct Run {
  int exitCode = -1;
  QString out;
  QString err;
};

inline Run run(const QString& program, const QStringList& args, int timeoutMs = 120000,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  Run r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

class SimProcess {
 public:
  SimProcess() = default;
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;
  ~SimProcess() { stop(); }

  // Starts vmksim (VMKSIM_PATH) with `args` plus --link; true once it has
  // said it is ready, false when it exits or says nothing within timeoutMs.
  bool start(const QStringList& args, int timeoutMs = 15000) {
    if (!m_dir.isValid()) return false;
    m_path = m_dir.filePath(QStringLiteral("bus"));
    const QByteArray ready = launch(args + QStringList{QStringLiteral("--link"), m_path}, timeoutMs);
    return ready == m_path.toLocal8Bit();
  }
  // The same over TCP on 127.0.0.1 (`args` may hold --mbap): path() is then
  // "127.0.0.1:PORT".
  bool startTcp(const QStringList& args, int timeoutMs = 15000) {
    m_path = QString::fromLocal8Bit(launch(args + QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")},
                                           timeoutMs));
    return m_path.startsWith(QLatin1String("127.0.0.1:")) && port() > 0;
  }

  QString path() const { return m_path; }
  int port() const { return m_path.section(QLatin1Char(':'), -1).toInt(); }
  qint64 pid() const { return m_process.processId(); }
  QByteArray errors() { return m_process.readAllStandardError(); }

  // SIGTERM to our child; SIGKILL if it does not go within 5 s. True when
  // it ended normally.
  bool stop() {
    if (m_process.state() == QProcess::NotRunning) return m_process.exitStatus() == QProcess::NormalExit;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
      m_process.kill();
      m_process.waitForFinished(5000);
      return false;
    }
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
  }

 private:
  // Starts vmksim; what its ready line names (empty when it never said).
  QByteArray launch(const QStringList& args, int timeoutMs) {
    m_process.setProgram(QStringLiteral(VMKSIM_PATH));
    m_process.setArguments(args);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) return {};
    QByteArray out;
    while (!out.contains('\n')) {
      if (!m_process.waitForReadyRead(timeoutMs)) return {};
      out += m_process.readAllStandardOutput();
    }
    if (!out.startsWith("ready ")) return {};
    return out.mid(6, out.indexOf('\n') - 6).trimmed();
  }

  QTemporaryDir m_dir;
  QString m_path;
  QProcess m_process;
};

}  // namespace vmk::test
