#include "extlib/view_loader.h"

#include <QDir>
#include <QLibrary>

#include "extlib/charset.h"
#include "model/prompts.h"

namespace vmk {

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

bool ViewLoader::load(Prompts& prompts) {
  if (m_library && m_library->isLoaded()) return true;
  auto library = std::make_unique<QLibrary>(libraryPath());
  if (!library->load()) {
    prompts.error(QStringLiteral("Ошибка загрзки библиотеки!"), {Button::Abort});
    return false;
  }
  m_library = std::move(library);
  return true;
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

std::optional<QString> ViewLoader::funcName(Prompts& prompts, int kind, int index) {
  if (!load(prompts)) return std::nullopt;
  const auto getFuncAr = reinterpret_cast<GetFuncArFn>(resolve("GetFuncAr"));
  if (!getFuncAr) {
    prompts.error(QStringLiteral("Ошибка загрзки функции!"), {Button::Abort});
    return std::nullopt;
  }
  unsigned char buffer[256] = {};
  getFuncAr(buffer, kind, index);
  return cp1251::fromLengthPrefixed(buffer, sizeof buffer);
}

}  // namespace vmk
