#pragma once
// The About box: product name, version, links and acknowledgements. It has no caption; any free
// point of it drags it.
#include <functional>
#include <optional>
#include <string>

#include "runtime/ui/extctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "runtime/version_info.h"

namespace movra::app {

// The version line: "Version major.minor edition (build n)" with its first word translated;
// without version information only the edition.
std::string AboutBuildText(const std::optional<TFileVersion>& version, const std::string& edition);

class TAboutForm : public ui::TForm {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TAboutForm", &ui::TForm::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TAboutForm(ui::TComponent* owner);

  // Fills in the product name and the version line of the running program.
  void ShowProduct(const std::string& product, const std::string& edition);
  // Whether a press at `point` (client coordinates) drags the box: everywhere but the span
  // from the web label's left, top and right edges down to the mail label's bottom.
  bool IsDragPoint(POINT point) const;

  // Opens a link text with the shell; tests replace it.
  std::function<void(const std::string& target)> OpenLink;

  ui::TShape* shpFrame;
  ui::TImage* imgLogo;
  ui::TLabel* lblAppName;
  ui::TLabel* lblBuild;
  ui::TLabel* lblNotice;
  ui::TLabel* lblURL;
  ui::TLabel* lblMail;
  ui::TLabel* lblThanks;
  ui::TMemo* memoThanks;
  ui::TLabel* lblAuthors;
  ui::TButton* btnOK;

  void WndProc(ui::TMessage& message) override;

 protected:
  void CreateWnd() override;

 private:
  void LinkEnter(ui::TObject* sender);
  void LinkLeave(ui::TObject* sender);
  void URLClick(ui::TObject*);
  void MailClick(ui::TObject*);
  void DrawLogo();
};

}  // namespace movra::app
