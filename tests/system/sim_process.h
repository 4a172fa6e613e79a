#pragma once
// Runs vmksim for a test: starts it on a pseudo-terminal in a fresh temporary
// folder, waits for its "ready PATH" line, and stops it by its own process
// id (SIGTERM, then SIGKILL) when the test is done.

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
    m_process.setProgram(QStringLiteral(VMKSIM_PATH));
    m_process.setArguments(args + QStringList{QStringLiteral("--link"), m_path});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) return false;
    QByteArray out;
    while (!out.contains('\n')) {
      if (!m_process.waitForReadyRead(timeoutMs)) return false;
      out += m_process.readAllStandardOutput();
    }
    return out.startsWith("ready " + m_path.toLocal8Bit());
  }

  QString path() const { return m_path; }
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
  QTemporaryDir m_dir;
  QString m_path;
  QProcess m_process;
};

}  // namespace vmk::test
