#pragma once
// What the change log asks of the operating system: who is logged in, and
// that a written line is on the disk. One implementation per system
// (system_calls_posix.cpp, system_calls_win.cpp).

#include <QFile>
#include <QString>
#include <optional>

namespace vmk::changelog {

// The login name of the account the program runs under; empty when the
// system does not say.
QString accountName();

// Pushes what `file` holds down to the disk; the system's reason when it
// cannot.
std::optional<QString> syncToDisk(QFile& file);

}  // namespace vmk::changelog
