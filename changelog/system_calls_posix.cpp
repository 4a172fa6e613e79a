#include "changelog/system_calls.h"

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace vmk::changelog {

QString accountName() {
  if (const passwd* pw = ::getpwuid(::getuid())) return QString::fromLocal8Bit(pw->pw_name);
  return {};
}

std::optional<QString> syncToDisk(QFile& file) {
  if (::fsync(file.handle()) != 0) return QString::fromLocal8Bit(std::strerror(errno));
  return std::nullopt;
}

}  // namespace vmk::changelog
