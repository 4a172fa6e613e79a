#include "changelog/system_calls.h"

#include <windows.h>
#include <io.h>
#include <lmcons.h>

#include <cerrno>
#include <cstring>

namespace vmk::changelog {

QString accountName() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!::GetUserNameW(name, &size) || size == 0) return {};
  return QString::fromWCharArray(name, int(size) - 1);  // the count includes the final NUL
}

std::optional<QString> syncToDisk(QFile& file) {
  // QFile's handle is a C runtime descriptor here; _commit flushes the
  // system's buffers of its file (FlushFileBuffers).
  if (::_commit(file.handle()) != 0) return QString::fromLocal8Bit(std::strerror(errno));
  return std::nullopt;
}

}  // namespace vmk::changelog
