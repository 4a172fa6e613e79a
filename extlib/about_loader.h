#pragma once
// The About library beside the program: loaded by its full path from the
// program's folder (a bare name would not be searched there) when
// "О программе" runs, and never unloaded. Its entry
//   extern "C" void ShowAboutFrm(void* parentWindow, const char* title, const char* text)
// takes zero-terminated Windows-1251 texts.

#include <QString>

#include "model/prompts.h"

namespace vmk {

enum class AboutOutcome { Shown, LibraryNotLoaded, EntryMissing };

// The library's path without its platform suffix: folder + "About".
QString aboutLibraryPath(const QString& folder);

// Loads the library from `folder` and shows the About box with `title` and
// `text`. A library that cannot be loaded shows the error box "Ошибка
// загрузки библиотеки" with the single button Abort; a library without the
// entry does nothing.
AboutOutcome ShowAbout(Prompts& prompts, const QString& folder, void* parentWindow,
                       const QString& title, const QString& text);

}  // namespace vmk
