// The About dialog on Windows: frmAbout drawn as a real modeless dialog.
//
// The dialog shows the form's caption, the logo (the product name drawn in the form's
// typeface), the credit lines, the link (its colour, size, underline, alignment and the
// form's pointing-hand cursor) and the OK button, and hands clicks to the form's handlers:
// the link to lblHyperlink_Click, OK to cmdOK_Click; closing the window unloads the form.
//
//   auto window = AboutDialogs().create(form);    // built from the form as it stands
//   window->show_modeless();
#pragma once

#include <windows.h>

#include <memory>

#include "host/frm_about.hpp"
#include "host/host_platform.hpp"

namespace kestrune {

// Control identifiers, which tests use to find the controls.
namespace about_dialog_control {
inline constexpr int kLogo = 101;
inline constexpr int kCopyright = 102;
inline constexpr int kHyperlink = 103;
inline constexpr int kOK = IDOK;
}  // namespace about_dialog_control

class AboutDialogs final : public DialogWindows {
 public:
  // Raises a Failure when the system refuses the window.
  std::unique_ptr<DialogWindow> create(frmAbout& form) override;
};

// A cursor drawn from a picture ('#' black, '.' white, ' ' transparent); nullptr when the
// system refuses it. The caller destroys it.
HCURSOR make_cursor(const CursorPicture& picture);

}  // namespace kestrune
