#pragma once

#include <QString>

namespace vmk::ctl {

QString generalHelp();
// Help of one command ("poll", "info", "params", "live", "command").
QString commandHelp(const QString& command);

}  // namespace vmk::ctl
