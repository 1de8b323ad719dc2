// frmAbout: the About dialog, one per thread, shown without being modal.
//
// The form is a model of the dialog: its controls' properties and its event handlers. The
// platform's DialogWindow draws it and hands it the user's clicks (on posix there is no
// window, and the model is the whole dialog). krABOUT loads the form, which runs Form_Load,
// and shows it, or brings forward the one already shown; OK unloads it.
//
//   show_frmAbout();                              // krABOUT
//   loaded_frmAbout()->lblHyperlink_Click();      // opens the maker's web address
//   loaded_frmAbout()->cmdOK_Click();             // unloads: loaded_frmAbout() is nullptr
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/frm_graphics.hpp"
#include "host/host_platform.hpp"

namespace kestrune {

// The maker's web address, shown and opened by the About dialog's link.
inline constexpr std::u16string_view kMakerWebAddress = u"https://www.kestrune.com";

enum class Alignment { left_justify = 0, right_justify = 1, center = 2 };
// A control's mouse pointer: the system's, or the picture in its MouseIcon.
enum class MousePointer { system_default = 0, custom = 99 };

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Font {
  double size = 8;  // points
  bool underline = false;
};

struct Label {
  std::u16string Caption;
  Alignment alignment = Alignment::left_justify;
  Rgb ForeColor;
  Font font;
  MousePointer mouse_pointer = MousePointer::system_default;
  const CursorPicture* MouseIcon = nullptr;
};

struct CommandButton {
  std::u16string Caption;
};

// The product logo: the product's name drawn in a typeface.
struct Logo {
  std::u16string_view text;
  std::u16string_view typeface;
};

class frmAbout {
 public:
  frmAbout();
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Event handlers, called by the form machinery.
  void Form_Load();
  void lblHyperlink_Click() noexcept;
  void cmdOK_Click();  // unloads the form: `this` is gone afterwards

  // Shows the form without making it modal, or brings it forward when it is shown already.
  void Show();
  bool Visible() const { return window_ != nullptr; }
  WindowHandle hWnd() const;

  std::u16string Caption;
  Logo Image1;
  Label lblCopyright;
  Label lblHyperlink;
  CommandButton cmdOK;

 private:
  std::unique_ptr<DialogWindow> window_;
};

// krABOUT: loads this thread's dialog (running Form_Load) unless it is loaded, and shows it.
void show_frmAbout();
// This thread's dialog, or nullptr while it is not loaded.
frmAbout* loaded_frmAbout();
void unload_frmAbout();

}  // namespace kestrune
