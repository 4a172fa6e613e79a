#pragma once
// Qt's own texts in Russian: the file dialogs ("Сохранить как", "Папка:",
// "Отмена"), the input dialogs' buttons, the line edits' context menus.
// The programs' own texts are written in Russian and their message boxes
// make their buttons with fixed texts ("OK", "&Yes", "&No", "Cancel"), so
// the translation reaches only what Qt writes itself. Here, in the viewer's
// library, because both vmkosc and vmkconf link it.

class QCoreApplication;
class QTranslator;

namespace vmk::oscview {

// Installs Qt's Russian translation (qtbase_ru.qm from Qt's translations
// folder, QLibraryInfo::TranslationsPath; Debian's qt6-translations-l10n)
// into `app`, which owns it. Returns the translator; nullptr, with a warning
// on standard error, when the translation cannot be loaded (Qt's dialogs
// then stay in English and the program goes on).
QTranslator* installQtTranslation(QCoreApplication& app);

}  // namespace vmk::oscview
