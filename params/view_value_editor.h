#pragma once
// The program's value editor: the viewer library's ShowView dialog, then
// its SetValue.

#include "params/value_editor.h"

namespace vmk {

class Prompts;
class ViewLoader;

class ViewValueEditor : public ValueEditor {
 public:
  // `window`: the main window (a QWidget*) the dialog belongs to, or null.
  // `folder`, when given, is where the library is looked for at every
  // show (the program's folder, known only once the program has started).
  ViewValueEditor(ViewLoader& loader, Prompts& prompts, void* window = nullptr,
                  const QString* folder = nullptr)
      : m_loader(loader), m_prompts(prompts), m_window(window), m_folder(folder) {}
  void setWindow(void* window) { m_window = window; }

  // Loads the library ("Ошибка загрзки библиотеки!", error icon, Abort,
  // when it cannot be) and runs ShowView; without ShowView nothing is shown.
  // A note goes to the library's SetEditNote first (a library without it:
  // into a warning box before the editor).
  void show(const QString& caption, std::uint16_t reg, std::int32_t value,
            std::uint16_t earthCtSecondary, const EditNote& note) override;
  // SetValue after a dialog ran; the value handed to show() when no dialog
  // ran, so that a stale answer of an earlier dialog is never taken.
  std::int32_t value() override;

 private:
  ViewLoader& m_loader;
  Prompts& m_prompts;
  void* m_window;
  const QString* m_folder;
  bool m_shown = false;
  std::int32_t m_passed = 0;
};

}  // namespace vmk
