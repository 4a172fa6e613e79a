#pragma once
// The face's windows for tests: each call runs the test's callback when one
// is set, and otherwise goes to the windows that were in place before (the
// data module's in a window test; none in an operation test). It stands in
// for its lifetime:
//
//   test::WindowsDouble windows(f.ws());
//   windows.onOpenDocument = [&](const QString& path) { opened << path; };

#include <QString>
#include <functional>

#include "shell/shell_context.h"
#include "shell/windows.h"

namespace vmk::test {

class WindowsDouble : public Windows {
 public:
  explicit WindowsDouble(ShellContext& shell) : m_shell(shell), m_before(shell.windows) {
    m_shell.windows = this;
  }
  ~WindowsDouble() override { m_shell.windows = m_before; }
  WindowsDouble(const WindowsDouble&) = delete;
  WindowsDouble& operator=(const WindowsDouble&) = delete;

  std::function<void()> onComparison;
  std::function<bool(const WritePreview&)> onConfirmWrite;
  std::function<void()> onChangeLog;
  std::function<void()> onCalibration;
  std::function<void(const QString& path)> onOpenDocument;
  std::function<void()> onExit;

  void showComparison() override {
    if (onComparison) onComparison();
    else if (m_before) m_before->showComparison();
  }
  // No double and no window before: the write goes on, as without a face.
  bool confirmWrite(const WritePreview& preview) override {
    if (onConfirmWrite) return onConfirmWrite(preview);
    return m_before ? m_before->confirmWrite(preview) : true;
  }
  void showChangeLog() override {
    if (onChangeLog) onChangeLog();
    else if (m_before) m_before->showChangeLog();
  }
  void showCalibration() override {
    if (onCalibration) onCalibration();
    else if (m_before) m_before->showCalibration();
  }
  void openDocument(const QString& path) override {
    if (onOpenDocument) onOpenDocument(path);
    else if (m_before) m_before->openDocument(path);
  }
  void exitApplication() override {
    if (onExit) onExit();
    else if (m_before) m_before->exitApplication();
  }
  void* dialogParent() const override { return m_before ? m_before->dialogParent() : nullptr; }

 private:
  ShellContext& m_shell;
  Windows* m_before;
};

}  // namespace vmk::test
