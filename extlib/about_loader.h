#pragma once
// The About library beside the program: loaded by its full path from the
// program's folder (a bare name would not be searched there) when
// "О программе" runs, and never unloaded. Its entry
//   extern "C" void ShowAboutFrm(void* parentWindow, const char* title, const char* text)
// takes zero-terminated Windows-1251 texts. Nothing here shows a message:
// the caller turns the outcome into its box.

#include <QString>

namespace vmk {

enum class AboutOutcome { Shown, LibraryNotLoaded, EntryMissing };

// The library's path without its platform suffix: folder + "About".
QString aboutLibraryPath(const QString& folder);

// Loads the library from `folder` and, when it has the entry, shows the
// About box with `title` and `text` (modal, returns when it closes).
AboutOutcome ShowAbout(const QString& folder, void* parentWindow, const QString& title,
                       const QString& text);

}  // namespace vmk
