#include "viewer/view_api.h"

#include <QApplication>
#include <algorithm>
#include <cstring>
#include <utility>

#include "extlib/cp1251_table.h"
#include "viewer/editor_spec.h"
#include "viewer/signal_names.h"
#include "viewer/value_dialog.h"

namespace {

std::int32_t g_value = 0;
// What SetEditNote gave for the next dialog.
vmk::view::EditorNote g_note;

QString fromLengthPrefixed(const unsigned char* text) {
  if (!text) return {};
  return vmk::cp1251::table::decode(QByteArrayView(text + 1, text[0]));
}

}  // namespace

extern "C" {

std::int32_t ShowView(void* window, const unsigned char* caption, std::uint16_t reg,
                      std::int32_t value, std::uint16_t earthCtSecondary, std::int32_t reserved) {
  (void)reserved;
  g_value = value;
  const vmk::view::EditorNote note = std::exchange(g_note, {});
  // Without a widget application (the command-line program) there is no
  // dialog: the value stays as it was.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return g_value;
  vmk::view::ValueDialog dialog(vmk::view::specForRegister(reg), fromLengthPrefixed(caption),
                                value, earthCtSecondary, note, static_cast<QWidget*>(window));
  if (dialog.exec() == QDialog::Accepted) g_value = dialog.value();
  return g_value;
}

void SetEditNote(const unsigned char* note, std::int32_t startEmpty) {
  g_note = {fromLengthPrefixed(note), startEmpty != 0};
}

std::int32_t SetValue() { return g_value; }

void GetFuncAr(unsigned char* buffer, std::int32_t kind, std::int32_t index) {
  if (!buffer) return;
  const QByteArray bytes = vmk::cp1251::table::encode(vmk::view::signalName(kind, index)).left(255);
  buffer[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(buffer + 1, bytes.constData(), std::size_t(bytes.size()));
}
}
