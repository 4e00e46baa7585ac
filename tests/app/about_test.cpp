#include "app/about_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dialogs.h"
#include "runtime/text.h"
#include "tests/app/dialogs2_test_support.h"

namespace movra::app {
namespace {

using namespace movra::ui;

TEST(AboutText, VersionLineNamesMajorMinorEditionAndBuild) {
  EXPECT_EQ(AboutBuildText(TFileVersion{1, 4, 0, 512}, "beta"), "Version 1.4 beta (build 512)");
  EXPECT_EQ(AboutBuildText(TFileVersion{10, 0, 7, 65535}, "final"), "Version 10.0 final (build 65535)");
  EXPECT_EQ(AboutBuildText(std::nullopt, "beta"), "Version beta");
}

TEST(AboutBox, ShowsProductEditionAndTheProgramsVersion) {
  std::string appName, build;
  bool noBorder = false;
  test::WhenOpen<TAboutForm>([&](TAboutForm& form) {
    appName = form.lblAppName->Caption();
    build = form.lblBuild->Caption();
    noBorder = (GetWindowLongW(form.Handle(), GWL_STYLE) & WS_CAPTION) == 0;
    // Escape presses OK, the cancel button too.
    PostMessageW(form.btnOK->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  ExecuteAbout("Movra File Defragmentor", "beta");
  EXPECT_EQ(appName, "Movra File Defragmentor");
  // The test program carries version 1.4.0.512.
  EXPECT_EQ(build, "Version 1.4 beta (build 512)");
  EXPECT_TRUE(noBorder);
}

class AboutForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = MakeOwned<TAboutForm>(nullptr);
    form_->OpenLink = [this](const std::string& target) { opened_.push_back(target); };
    form_->HandleNeeded();
  }
  LRESULT HitTest(TWinControl* control, POINT client) {
    const POINT screen = form_->ClientToScreen(client);
    return SendMessageW(control->Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  }

  TOwned<TAboutForm> form_;
  std::vector<std::string> opened_;
};

TEST_F(AboutForm, FreePointsDragTheBoxButTheLinksSpanDoesNot) {
  TLabel* url = form_->lblURL;
  TLabel* mail = form_->lblMail;
  ASSERT_LT(url->Top() + url->Height(), mail->Top());  // a gap between the links
  const POINT gap{url->Left() + 2, url->Top() + url->Height() + 1};
  EXPECT_FALSE(form_->IsDragPoint(gap));
  EXPECT_FALSE(form_->IsDragPoint({url->Left() + url->Width() - 1, mail->Top() + mail->Height() - 1}));
  EXPECT_TRUE(form_->IsDragPoint({url->Left() - 1, url->Top() + 2}));
  EXPECT_TRUE(form_->IsDragPoint({url->Left() + 2, mail->Top() + mail->Height()}));
  EXPECT_TRUE(form_->IsDragPoint({url->Left() + url->Width(), url->Top() + 2}));

  EXPECT_EQ(HitTest(form_.get(), gap), HTCLIENT);
  EXPECT_EQ(HitTest(form_.get(), {url->Left() - 4, url->Top()}), HTCAPTION);
  // Labels, the logo and the frame let presses through to the box; the links do not.
  const POINT onName{form_->lblAppName->Left() + 2, form_->lblAppName->Top() + 2};
  EXPECT_EQ(HitTest(form_->lblAppName, onName), HTTRANSPARENT);
  EXPECT_EQ(HitTest(form_->imgLogo, {form_->imgLogo->Left() + 2, form_->imgLogo->Top() + 2}), HTTRANSPARENT);
  EXPECT_EQ(HitTest(url, {url->Left() + 2, url->Top() + 2}), HTCLIENT);
}

TEST_F(AboutForm, LinksUnderlineWhilePointedAtAndOpenTheirTargets) {
  TLabel* url = form_->lblURL;
  url->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(url->Font().Style() & fsUnderline);
  EXPECT_EQ(url->Cursor(), LoadCursorW(nullptr, IDC_HAND));
  url->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(url->Font().Style() & fsUnderline);
  EXPECT_EQ(url->Cursor(), nullptr);

  url->Click();
  form_->lblMail->Click();
  EXPECT_EQ(opened_, (std::vector<std::string>{url->Caption(), "mailto:" + form_->lblMail->Caption()}));
}

}  // namespace
}  // namespace movra::app
