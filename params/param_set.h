#pragma once
// Parameters and settings as values: per row of the catalogue what the row
// holds and whether it is marked "*" (edited, not yet written), for the 62
// parameter rows and the 32 setting rows of one group. Reading fills a set,
// writing plans from one, the settings file is read into and written from
// one, comparing takes two; the grids only show one (params/param_grid_view.h).
//
// A value read from a device is its register words; its text is the
// catalogue's. A text that a settings file or an edit gave is kept as it
// came, with what the catalogue made of it at that border (its words, why it
// gives none, or that it stands for none): the file gets back exactly the
// text it had, and a write refuses it with the same reason.

#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

#include "params/catalogue.h"

namespace vmk {

// What one row holds.
class RowValue {
 public:
  // Nothing: a row never read or given. It shows no text, writes what an
  // empty text writes, and a comparison takes it for a row its side lacks.
  RowValue() = default;
  // The register words as the device holds them: the row's register, and
  // for a two-register row the one after it.
  static RowValue read(std::uint16_t word, std::uint16_t next = 0);
  // A text from a settings file or an edit, with the catalogue's words for
  // it (wordsFromText, at the border that took the text).
  static RowValue given(QString text, WriteWords words);

  bool isNothing() const { return m_kind == Kind::Nothing; }

  // The text the row shows (a value read, in `locale`).
  QString text(const RowSpec& row, const QLocale& locale) const;
  // The words the row writes, or why it writes none.
  WriteWords words(const RowSpec& row) const;

  bool operator==(const RowValue&) const = default;

 private:
  enum class Kind : std::uint8_t { Nothing, Read, Given };
  Kind m_kind = Kind::Nothing;
  std::uint16_t m_word = 0;
  std::uint16_t m_next = 0;
  QString m_text;
  WriteWords m_words;
};

class ParamSet {
 public:
  // Told of each change: the grid (1 the parameters, 2 the settings) and
  // the row, or row -1 for every row of that grid.
  using Watcher = std::function<void(int grid, int row)>;

  ParamSet() : ParamSet(1) {}
  explicit ParamSet(int group);
  // The values and marks are copied; the watcher stays with its set.
  ParamSet(const ParamSet& other);
  ParamSet& operator=(const ParamSet& other);

  // The rows of a grid as in the catalogue: 62 parameters, 32 settings.
  static int rowCount(int grid);

  // The setting group whose settings the set holds (1 or 2).
  int group() const { return m_group; }
  // The locale in which values read are shown (the read's).
  const QLocale& locale() const { return m_locale; }
  void setLocale(const QLocale& locale);

  // A row outside the catalogue holds nothing and is never marked.
  const RowValue& value(int grid, int row) const;
  bool marked(int grid, int row) const;
  void setValue(int grid, int row, RowValue value);  // the mark stays as it is
  void setMarked(int grid, int row, bool marked);

  // The row's first register: the catalogue's, a setting's from its
  // group's base; -1 for a heading, 65535 for the password row.
  int registerOf(int grid, int row) const;
  // The row's text and words (RowValue::text, RowValue::words).
  QString text(int grid, int row) const;
  WriteWords words(int grid, int row) const;

  // `FillParamList`: no parameter row holds a value or a mark.
  void clearParameters();
  // `FillUstList`: no setting row holds a value or a mark, and the
  // settings are `group`'s now (2, anything else is 1).
  void clearSettings(int group);

  void setWatcher(Watcher watcher) { m_watcher = std::move(watcher); }

 private:
  struct Row {
    RowValue value;
    bool marked = false;
  };
  const Row* rowAt(int grid, int row) const;
  Row* rowAt(int grid, int row);
  void changed(int grid, int row) const;

  QVector<Row> m_params;
  QVector<Row> m_settings;
  int m_group = 1;
  QLocale m_locale;
  Watcher m_watcher;
};

}  // namespace vmk
