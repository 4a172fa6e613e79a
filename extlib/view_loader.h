#pragma once
// Reaches the viewer library (libView beside the program) by its full path
// when first needed; once loaded it stays loaded. No widgets here: the
// window handle is passed through as an opaque pointer.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QLibrary;

namespace vmk {

class Prompts;

using ShowViewFn = std::int32_t (*)(void* window, const unsigned char* caption, std::uint16_t reg,
                                    std::int32_t value, std::uint16_t earthCtSecondary,
                                    std::int32_t reserved);
using SetValueFn = std::int32_t (*)();
using GetFuncArFn = void (*)(unsigned char* buffer, std::int32_t kind, std::int32_t index);

class ViewLoader {
 public:
  // `folder`: where the library lies (ProgramDir), with or without a final
  // separator.
  explicit ViewLoader(QString folder = {});
  ~ViewLoader();
  ViewLoader(const ViewLoader&) = delete;
  ViewLoader& operator=(const ViewLoader&) = delete;

  void setFolder(const QString& folder);
  // folder + "View"; the platform adds its prefix and suffix (libView.so).
  QString libraryPath() const;

  // Loads the library if it is not loaded yet. On failure shows "Ошибка
  // загрзки библиотеки!" (error icon, Abort) and returns false; the next
  // call tries again.
  bool load(Prompts& prompts);

  // Entry points of the loaded library (after load()); null when missing.
  ShowViewFn showView() const;
  SetValueFn setValue() const;

  // `GetFuncAr`: the display name of an item of a signal list. Nothing when
  // the library cannot be loaded (after its message) or has no GetFuncAr
  // ("Ошибка загрзки функции!", error icon, Abort).
  std::optional<QString> funcName(Prompts& prompts, int kind, int index);

 private:
  void* resolve(const char* name) const;

  QString m_folder;
  std::unique_ptr<QLibrary> m_library;  // never unloaded
};

}  // namespace vmk
