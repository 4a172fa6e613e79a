#pragma once
// Where the sides of a comparison come from: the connected device, read
// fresh (both setting groups, or the parameters and one group), and
// settings files. None of them touches the window's parameter set.

#include <QLocale>
#include <QString>
#include <utility>

#include "device/outcome.h"
#include "params/compare.h"

namespace vmk {

class Session;

// The settings of group 1 and of group 2, two register reads in one port
// opening. Throws Error when the port cannot be opened.
Result<std::pair<CompareSide, CompareSide>> readDeviceGroups(Session& session,
                                                             const QLocale& locale = QLocale());

// The parameters and the settings of `group`, read as "Получить" reads
// them (the device record's setup fields are not touched).
Result<CompareSide> readDeviceSide(Session& session, int group, const QLocale& locale = QLocale());

// The entries a settings file holds; a row the file lacks is not in the
// side. A file that cannot be read or holds no settings gives
// InputRefused with the error box's text in `message`.
struct FileSide {
  Outcome outcome = Outcome::Done;
  QString message;
  CompareSide side;
  bool ok() const { return outcome == Outcome::Done; }
};
FileSide readFileSide(const QString& path);

}  // namespace vmk
