#pragma once
// The settings file (.ust): the value texts of a parameter set in a
// Windows-1251 (or UTF-8) ini file with the sections "Параметры" and "Уставки". Saving
// writes each row's text as the grids show it; loading is a border where
// texts come in: each text goes into the set with the words the catalogue
// makes of it. The file dialogs are the caller's.

#include <QLocale>
#include <QString>
#include <QVector>

#include "device/outcome.h"
#include "model/prompts.h"
#include "params/catalogue.h"

namespace vmk {

class ParamSet;

// The section of a grid's rows: "Параметры" (1) or "Уставки" (2).
const QString& settingsSection(int grid);

// The file dialog of both commands: "Файл параметров и уставок
// (*.ust)|*.ust", default extension "ust".
FileDialog settingsFileDialog();

// An entry the file held.
struct FileEntry {
  int grid = 1;  // 1 the parameters (Grid1), 2 the settings (grdSett)
  int row = 0;
  QString key;
  QString text;
  WriteWords words;  // what the catalogue makes of the text
};

struct SettingsFileResult {
  // Done; InputRefused for a file that cannot be read or written (with
  // `message`, the error box) or, when loading, a name whose extension is
  // not exactly ".ust" (no message: the window ignores it silently).
  Outcome outcome = Outcome::Done;
  QString message;
  QVector<FileEntry> entries;  // loading: the entries found, in file-key order

  bool ok() const { return outcome == Outcome::Done; }
};

// Which rows saving writes: every row that a file stores (the window, a
// read of the device), or only the rows marked "*" (a file edited by
// vmkctl: the rows it held and those changed, so that a file of three keys
// keeps three).
enum class SaveRows { All, Marked };

// `ActSaveFile`: writes the value text of each row under its key, in the
// catalogue's order. A new file is written in Windows-1251; an existing one
// keeps its codec (UTF-8 when a text editor saved it so) and its other
// sections and keys, and is replaced only when completely written. No mark,
// flag or device changes.
SettingsFileResult saveSettingsFile(const QString& path, const ParamSet& set,
                                    SaveRows rows = SaveRows::All);

// Which rows loading marks "*": every data row of both grids (the window:
// the next write sends the whole configuration, the rows the file lacks
// with the texts they had), or only the rows the file holds (vmkctl: a key
// the file lacks leaves the device's value alone, so a file of three keys
// changes three settings).
enum class MarkLoaded { AllDataRows, FileRows };

// `ActOpenFile`: each key's text goes into its row of the set (a missing
// key keeps the row's value; the settings go to the set's group whatever
// group they were saved from) and the rows are marked "*" as `mark` says. The file is
// read as Windows-1251, or as UTF-8 when its bytes are valid UTF-8 and not
// plain ASCII (a byte-order mark is skipped); a file in UTF-16 is refused
// with a message that says so. A file in which no key of
// either section is found is refused (InputRefused, with the message) and
// no row changes. A text that gives no words is loaded as it is; writing
// refuses it.
SettingsFileResult loadSettingsFile(const QString& path, ParamSet& set,
                                    MarkLoaded mark = MarkLoaded::AllDataRows);

// The box after loading: every entry whose text is no value its row could
// write ("«Время МТЗ-2» = «abc»: значение не является числом"), with the
// file's name; empty when every entry is one.
QString notValuesMessage(const QString& path, const QVector<FileEntry>& entries);

}  // namespace vmk
