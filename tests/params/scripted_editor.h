#pragma once
// A value editor for tests: records what it was shown and answers from a
// script (no answer: the value it was handed, as an unchanged dialog).

#include <QList>
#include <QQueue>
#include <QString>

#include "params/value_editor.h"

namespace vmk::test {

class ScriptedEditor : public ValueEditor {
 public:
  struct Shown {
    QString caption;
    std::uint16_t reg;
    std::int32_t value;
    std::uint16_t earthCtSecondary;
    EditNote note;
  };

  void answer(std::int32_t value) { m_answers.enqueue(value); }

  void show(const QString& caption, std::uint16_t reg, std::int32_t value,
            std::uint16_t earthCtSecondary, const EditNote& note) override {
    shown.append({caption, reg, value, earthCtSecondary, note});
    m_last = m_answers.isEmpty() ? value : m_answers.dequeue();
  }
  std::int32_t value() override { return m_last; }

  QList<Shown> shown;

 private:
  QQueue<std::int32_t> m_answers;
  std::int32_t m_last = 0;
};

}  // namespace vmk::test
