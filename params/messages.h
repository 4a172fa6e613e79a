#pragma once
// Texts the parameter operations show.

#include <QString>

namespace vmk {

inline const QString kLinkError = QStringLiteral("Ошибка связи с устройством!");

}  // namespace vmk
