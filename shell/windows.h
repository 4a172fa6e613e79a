#pragma once
// The windows and desktop services the shell's commands call on without
// knowing the widgets: the face implements them (app/data_module), vmkctl
// and the bare operation tests have none (ShellContext::windows is nullptr),
// and the window-level tests put a double in (tests/support/windows_double.h).

#include <QString>

namespace vmk {

struct WritePreview;

class Windows {
 public:
  virtual ~Windows() = default;

  // "Сравнить уставки...": the comparison of parameters and settings,
  // modally.
  virtual void showComparison() = 0;
  // The rows a write of parameters and settings is about to send, beside
  // what the device holds; true when "Записать" was chosen.
  virtual bool confirmWrite(const WritePreview& preview) = 0;
  // "Журнал изменений...": the change log of the connected device, modally.
  virtual void showChangeLog() = 0;
  // The calibration window for the connected device, modally.
  virtual void showCalibration() = 0;
  // A finished report, opened with the desktop's program for its kind.
  virtual void openDocument(const QString& path) = 0;
  // "Выход": the application ends at once.
  virtual void exitApplication() = 0;
  // The window the outside libraries' dialogs belong to, as an opaque
  // handle; nullptr: none.
  virtual void* dialogParent() const = 0;
};

}  // namespace vmk
