#include "shell/command_table.h"

namespace vmk {

namespace {

QList<Command> buildTable() {
  const QString port = QStringLiteral("Port");
  auto s = [](const char16_t* t) { return QString::fromUtf16(t); };
  QList<Command> t;
  t.append({s(u"actOpenPort"), s(u"Открыть"), 1, port, {}, -1, {}, true, 0, false});
  t.append({s(u"actClosePort"), s(u"Закрыть"), 2, port, {}, -1, {}, true, 0, false});
  t.append({s(u"actSettingPort"), s(u"Настроить"), 3, port, {}, -1, {}, true, 0, false});
  t.append({s(u"actLoadSetPort"), s(u"Загрузить"), 4, port, {}, -1, {}, true, 0, false});
  t.append({s(u"actSaveSetPort"), s(u"Сохранить"), 5, port, {}, -1, {}, true, 0, false});
  t.append({s(u"actFrontPort"), s(u"Переднее (RS232)"), 6, port, {}, -1, {}, true, 1, true});
  t.append({s(u"actReaPort"), s(u"Заднее (RS485)"), 7, port, {}, -1, {}, true, 1, false});
  t.append({s(u"ActOCPort"), s(u"Открыть/закрыть порт"), 0, {}, {}, 7, {}, true, 0, false});
  t.append({s(u"ActSetTO"), s(u"Установить таймаут"), 0, {}, {}, -1, {}, true, 0, false});
  t.append({s(u"actPolling"), s(u"Установить связь"), 0, {}, s(u"Опрос устройств"), 0, {}, true, 0, false});
  t.append({s(u"actGetStartInfo"), s(u"Установить связь"), 0, {}, s(u"Соединится с устройством"), 1, {}, true, 0, false});
  t.append({s(u"actrefresh"), s(u"Обновить"), 0, {}, s(u"Обновить информацию"), 2, s(u"F5"), false, 0, false});
  t.append({s(u"actSetTimerRefresh"), s(u"Авто опрос"), 0, {}, s(u"Установить автообновление"), 4, {}, false, 0, false});
  t.append({s(u"ActGetParSet"), s(u"Получить"), 0, {}, {}, -1, {}, true, 0, false});
  t.append({s(u"actSetParametr"), s(u"Записать в устройство"), 0, {}, s(u"Записать в устройство"), -1, {}, true, 0, false});
  t.append({s(u"ActOpenFile"), s(u"Загрузить из файла..."), 0, {}, {}, -1, {}, false, 0, false});
  t.append({s(u"ActSaveFile"), s(u"Сохранить в файл..."), 0, {}, {}, -1, {}, false, 0, false});
  t.append({s(u"actGetData"), s(u"Получить данные"), 0, {}, s(u"Получить данные"), 5, {}, false, 0, false});
  t.append({s(u"actGetInterrupt"), s(u"Получить"), 0, {}, s(u"Получить"), -1, {}, true, 0, false});
  t.append({s(u"actPrint"), s(u"Печать"), 0, {}, {}, 6, {}, false, 0, false});
  t.append({s(u"actChangePass"), s(u"actChangePass"), 0, {}, {}, -1, {}, true, 0, false});
  t.append({s(u"actCalibr"), s(u"Калибровка"), 0, {}, {}, 3, {}, true, 0, false});
  t.append({s(u"actAbout"), s(u"О программе"), 0, {}, {}, -1, {}, true, 0, false});
  t.append({s(u"ActExit"), s(u"Выход"), 0, {}, {}, -1, {}, true, 0, false});
  return t;
}

}  // namespace

const QList<Command>& commandTable() {
  static const QList<Command> table = buildTable();
  return table;
}

const Command* findCommand(const QString& name) {
  for (const Command& c : commandTable())
    if (c.name == name) return &c;
  return nullptr;
}

void applyCommandTable(PageState& pages) {
  for (const Command& c : commandTable()) {
    ActionState a;
    a.enabled = c.startEnabled;
    a.checked = c.startChecked;
    a.image = c.image;
    a.hint = c.hint;
    pages.define(c.name, a);
  }
  for (int m = 0; m < kMenuCount; ++m) {
    pages.setMenuVisible(m, true);
    pages.setMenuEnabled(m, m != kMenuPortSetup);
  }
}

}  // namespace vmk
