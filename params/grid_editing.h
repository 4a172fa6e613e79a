#pragma once
// Selecting and double-clicking rows of Grid1 and grdSett: the toggle rows
// switch their text, the password row asks for the change-password window,
// every other data row goes through the value editor. A changed row gets
// "*" and sets ParamsModified. The rows are those of the parameter set the
// grids show; a changed text goes into the set (putRowText).
//
// The workspace holds one GridEditing for the window (the face gives it the
// viewer library's editor); tests make their own.

#include <QHash>
#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

#include "params/value_editor.h"

namespace vmk {

class ParamSet;
class StatusPanels;
struct FileEntry;
struct SetupFields;

// What grid editing works on: the set the grids show.
struct EditModels {
  ParamSet& params;
  StatusPanels& status;  // panel 3 shows the selected row's caption
  bool& ParamsModified;
  const SetupFields& setup;  // EarthCtSecondary goes to the editor
};

// What a double-click came to.
enum class EditAnswer {
  Nothing,         // a row without caption or value, a heading, an unchanged value
  Changed,         // the row was toggled or edited and marked "*"
  ChangePassword,  // the password row: the caller runs `actChangePass`
};

class GridEditing {
 public:
  // `editor`: the value editor; without one, no editor opens and every
  // edit leaves the value as it was.
  explicit GridEditing(EditModels models, ValueEditor* editor = nullptr,
                       const QLocale& locale = QLocale());

  void setEditor(ValueEditor* editor) { m_editor = editor; }

  // `Grid1SelectCell` (gridTag 1 = Grid1, 2 = grdSett): remembers the row;
  // for a row with a register and a value also CurRegister, the caption in
  // status panel 3, and CurValue when the text is a value (a text that is
  // none keeps CurValue as it was).
  void Grid1SelectCell(int gridTag, int row);

  // `Grid1DblClick` on row SelRow of the given grid. Does nothing for a
  // row without caption or value. The row's editor value is taken afresh
  // from its text, so an edit never starts from another row's value. A
  // text that is no value (put there by a settings file) opens the editor
  // empty, with a note naming what the row held; a value outside its range
  // is named with its unit and where it came from (the file, the grid or
  // the device).
  EditAnswer Grid1DblClick(int gridTag);

  // The rows a settings file has just put into the grids: while a row
  // still shows the file's text and its mark, the editor names the file.
  void rowsLoaded(const QString& fileName, const QVector<FileEntry>& entries);

  int SelRow() const { return m_selRow; }
  std::uint16_t CurRegister() const { return m_curRegister; }
  std::int32_t CurValue() const { return m_curValue; }

 private:
  // Steps 2..5 of the selection; false when the row has no register or value.
  bool select(int gridTag, int row);
  // "в файле «a.ust»", "в таблице" or "в устройстве": where the row's text
  // came from.
  QString origin(int gridTag, int row) const;
  // What the editor is told besides the value of a row showing `text`.
  EditNote noteFor(int gridTag, int row, const QString& text,
                   const std::optional<std::int32_t>& value) const;

  EditModels m_models;
  ValueEditor* m_editor;
  QLocale m_locale;
  int m_selRow = 0;
  std::uint16_t m_curRegister = 0;
  std::int32_t m_curValue = 0;
  QString m_loadedFile;
  QHash<int, QString> m_loadedTexts;  // grid tag x 1000 + row -> the file's text
};

}  // namespace vmk
