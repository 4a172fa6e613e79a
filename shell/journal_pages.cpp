#include "shell/journal_pages.h"

#include <algorithm>

#include "journals/journal_kinds.h"
#include "model/page_state.h"
#include "shell/shell_context.h"

namespace vmk {

int windowPageCount() {
  int count = kPageEvents;
  for (const JournalSpec& j : journalKinds()) count = std::max(count, j.page + 1);
  return count;
}

JournalPages::Pages JournalPages::pagesOfTheTable() {
  Pages pages;
  for (const JournalSpec& j : journalKinds())
    pages[j.kind] = Page{std::make_unique<TextGrid>(j.rows, j.columns),
                         std::make_unique<Progress>(0, j.window.gaugeMaximum)};
  return pages;
}

}  // namespace vmk
