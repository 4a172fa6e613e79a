#include "extlib/view_loader.h"

#include <QDir>
#include <QLibrary>

#include "extlib/charset.h"

namespace vmk {

QString viewLoadMessage(ViewLoad outcome) {
  switch (outcome) {
    case ViewLoad::Loaded: return {};
    case ViewLoad::LibraryMissing: return QStringLiteral("Ошибка загрзки библиотеки!");
    case ViewLoad::EntryMissing: return QStringLiteral("Ошибка загрзки функции!");
  }
  return {};
}

ViewLoader::ViewLoader(QString folder) : m_folder(std::move(folder)) {}

// QLibrary's destructor leaves the library loaded.
ViewLoader::~ViewLoader() = default;

void ViewLoader::setFolder(const QString& folder) {
  if (folder == m_folder) return;
  m_folder = folder;
  m_library.reset();
}

QString ViewLoader::libraryPath() const {
  QString dir = m_folder;
  if (!dir.isEmpty() && !dir.endsWith(u'/') && !dir.endsWith(u'\\')) dir += u'/';
  return dir + QStringLiteral("View");
}

ViewLoad ViewLoader::load() {
  if (m_library && m_library->isLoaded()) return ViewLoad::Loaded;
  auto library = std::make_unique<QLibrary>(libraryPath());
  if (!library->load()) return ViewLoad::LibraryMissing;
  m_library = std::move(library);
  return ViewLoad::Loaded;
}

void* ViewLoader::resolve(const char* name) const {
  return m_library && m_library->isLoaded() ? reinterpret_cast<void*>(m_library->resolve(name))
                                            : nullptr;
}

ShowViewFn ViewLoader::showView() const {
  return reinterpret_cast<ShowViewFn>(resolve("ShowView"));
}

SetValueFn ViewLoader::setValue() const {
  return reinterpret_cast<SetValueFn>(resolve("SetValue"));
}

SetEditNoteFn ViewLoader::setEditNote() const {
  return reinterpret_cast<SetEditNoteFn>(resolve("SetEditNote"));
}

ViewName ViewLoader::funcName(int kind, int index) {
  const ViewLoad loaded = load();
  if (loaded != ViewLoad::Loaded) return {loaded, {}};
  const auto getFuncAr = reinterpret_cast<GetFuncArFn>(resolve("GetFuncAr"));
  if (!getFuncAr) return {ViewLoad::EntryMissing, {}};
  unsigned char buffer[256] = {};
  getFuncAr(buffer, kind, index);
  return {ViewLoad::Loaded, cp1251::fromLengthPrefixed(buffer, sizeof buffer)};
}

}  // namespace vmk
