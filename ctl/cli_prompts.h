#pragma once
// Prompts for the command line: questions are answered from the options the
// user gave; boxes go to standard error with their kind
// ("Error: Ошибка связи с устройством!"). Nothing waits for a keyboard.

#include <QStringList>
#include <functional>

#include "model/prompts.h"

namespace vmk::ctl {

struct CliAnswers {
  std::optional<QString> password;   // --password
  std::optional<QString> saveFile;   // -o FILE
  std::optional<QString> openFile;   // the file argument of "params set"
  std::optional<QString> input;      // an input box answer
  bool yes = false;                  // confirmation boxes answer Yes/OK
};

class CliPrompts : public Prompts {
 public:
  // `err` takes each box's line; empty: standard error.
  explicit CliPrompts(CliAnswers answers, std::function<void(const QString&)> err = {});

  Button box(const MessageBox& box) override;
  std::optional<QString> input(const QString& caption, const QString& prompt,
                               const QString& defaultText) override;
  std::optional<QString> openFile(const FileDialog& dialog) override;
  std::optional<QString> saveFile(const FileDialog& dialog) override;
  std::optional<QString> password() override;
  std::optional<QString> number(const NumberDialog& dialog) override;
  bool portSettings(PortSettings& settings) override;
  void beep() override {}

  // Every box shown, as "Kind: text".
  const QStringList& shown() const { return m_shown; }
  // Texts of the error boxes shown.
  const QStringList& errors() const { return m_errors; }
  // When set, boxes are collected but not printed (the --json output
  // carries them instead).
  void setQuiet(bool quiet) { m_quiet = quiet; }
  void setOpenFile(const QString& path) { m_answers.openFile = path; }

 private:
  CliAnswers m_answers;
  std::function<void(const QString&)> m_err;
  QStringList m_shown;
  QStringList m_errors;
  bool m_quiet = false;
};

}  // namespace vmk::ctl
