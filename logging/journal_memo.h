#pragma once
// Shows a journal's lines in a memo of the user interface.
#include <functional>

#include "logging/journal.h"
#include "logging/journal_visual.h"
#include "runtime/ui/stdctrls.h"

namespace movra {

// The link between a journal's visual thread and a memo. The memo owns it, so when the memo
// goes the link first makes the journal end the visual thread feeding it, and no line reaches
// a destroyed memo. The journal must outlive the memo.
class TJournalMemo final : public ui::TComponent, public TJournalMemoSink {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TJournalMemo", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TJournalMemo(ui::TMemo& memo, TJournal& journal);
  ~TJournalMemo() override;

  ui::TMemo& Memo() const { return memo_; }
  TJournal& Journal() const { return journal_; }

  void PostToOwner(std::function<void()> call) override;
  void AppendLines(const TStringList& lines, int lineLimit, bool scrollToEnd) override;

 private:
  ui::TMemo& memo_;
  TJournal& journal_;
};

// Shows `journal`'s lines in `memo` from now on (TJournal::StartVisualFeedback), through the
// memo's link to that journal, made on first use.
void StartVisualFeedback(TJournal& journal, ui::TMemo& memo);

}  // namespace movra
