#include "logging/journal_memo.h"

namespace movra {

TJournalMemo::TJournalMemo(ui::TMemo& memo, TJournal& journal)
    : ui::TComponent(&memo), memo_(memo), journal_(journal) {}

TJournalMemo::~TJournalMemo() { journal_.EndVisualFeedback(*this); }

void TJournalMemo::PostToOwner(std::function<void()> call) { ui::Queue(std::move(call)); }

void TJournalMemo::AppendLines(const TStringList& lines, int lineLimit, bool scrollToEnd) {
  // One update for the whole message, a lowered limit's trimming included.
  ui::TUpdateGuard update(memo_.Lines());
  memo_.SetLineLimit(lineLimit);
  memo_.AppendLines(lines, scrollToEnd);
}

void StartVisualFeedback(TJournal& journal, ui::TMemo& memo) {
  TJournalMemo* link = nullptr;
  for (int i = 0; i < memo.ComponentCount() && !link; ++i) {
    auto* candidate = dynamic_cast<TJournalMemo*>(memo.Components(i));
    if (candidate && &candidate->Journal() == &journal) link = candidate;
  }
  if (!link) link = new TJournalMemo(memo, journal);
  journal.StartVisualFeedback(*link);
}

}  // namespace movra
