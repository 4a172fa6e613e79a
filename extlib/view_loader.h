#pragma once
// Reaches the viewer library (libView beside the program) by its full path
// when first needed; once loaded it stays loaded. No widgets here: the
// window handle is passed through as an opaque pointer.

#include <QString>
#include <cstdint>
#include <memory>

class QLibrary;

namespace vmk {

// What reaching the library came to. The loader shows nothing: its caller
// shows viewLoadMessage() in an error box with the single button Abort.
enum class ViewLoad {
  Loaded,
  LibraryMissing,  // the library cannot be loaded
  EntryMissing,    // the library has no such entry point
};

// "Ошибка загрзки библиотеки!", "Ошибка загрзки функции!"; empty for Loaded.
QString viewLoadMessage(ViewLoad outcome);

// A name from `GetFuncAr`, or why there is none.
struct ViewName {
  ViewLoad outcome = ViewLoad::Loaded;
  QString name;
};

using ShowViewFn = std::int32_t (*)(void* window, const unsigned char* caption, std::uint16_t reg,
                                    std::int32_t value, std::uint16_t earthCtSecondary,
                                    std::int32_t reserved);
using SetValueFn = std::int32_t (*)();
using SetEditNoteFn = void (*)(const unsigned char* note, std::int32_t startEmpty);
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

  // Loads the library if it is not loaded yet. LibraryMissing when it
  // cannot be loaded; the next call tries again.
  ViewLoad load();

  // Entry points of the loaded library (after load()); null when missing.
  ShowViewFn showView() const;
  SetValueFn setValue() const;
  // Optional: a library may not have it.
  SetEditNoteFn setEditNote() const;

  // `GetFuncAr`: the display name of an item of a signal list (kind, index).
  ViewName funcName(int kind, int index);

 private:
  void* resolve(const char* name) const;

  QString m_folder;
  std::unique_ptr<QLibrary> m_library;  // never unloaded
};

}  // namespace vmk
