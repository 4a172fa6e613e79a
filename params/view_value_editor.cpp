#include "params/view_value_editor.h"

#include "extlib/charset.h"
#include "extlib/view_loader.h"
#include "model/prompts.h"

namespace vmk {

void ViewValueEditor::show(const QString& caption, std::uint16_t reg, std::int32_t value,
                           std::uint16_t earthCtSecondary, const EditNote& note) {
  m_shown = false;
  m_passed = value;
  if (m_folder) m_loader.setFolder(*m_folder);
  const ViewLoad loaded = m_loader.load();
  if (loaded != ViewLoad::Loaded) {
    m_prompts.error(viewLoadMessage(loaded), {Button::Abort});
    return;
  }
  const ShowViewFn showView = m_loader.showView();
  if (!showView) return;
  if (!note.text.isEmpty() || note.startEmpty) {
    // A library without the note shows the value alone: the note goes
    // into a box before it.
    if (const SetEditNoteFn setNote = m_loader.setEditNote()) {
      const QByteArray noteText = cp1251::toLengthPrefixed(note.text);
      setNote(reinterpret_cast<const unsigned char*>(noteText.constData()), note.startEmpty ? 1 : 0);
    } else if (!note.text.isEmpty()) {
      m_prompts.warning(note.text);
    }
  }
  const QByteArray text = cp1251::toLengthPrefixed(caption);
  showView(m_window, reinterpret_cast<const unsigned char*>(text.constData()), reg, value,
           earthCtSecondary, 0);
  m_shown = true;
}

std::int32_t ViewValueEditor::value() {
  if (!m_shown) return m_passed;
  const SetValueFn setValue = m_loader.setValue();
  return setValue ? setValue() : m_passed;
}

}  // namespace vmk
