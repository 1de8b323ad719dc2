#include "host/frm_about.hpp"

#include "variant/mdl_constants.hpp"

namespace kestrune {
namespace {

constexpr std::u16string_view kProductName = u"kestrune";
constexpr std::u16string_view kLogoTypeface = u"Courier New";
constexpr Rgb kLinkBlue{0, 0, 255};
constexpr double kLinkFontSize = 10;

std::unique_ptr<frmAbout>& this_thread_dialog() {
  thread_local std::unique_ptr<frmAbout> dialog;
  return dialog;
}

}  // namespace

frmAbout::frmAbout() : Image1{kProductName, kLogoTypeface} {
  lblCopyright.Caption =
      std::u16string(kProductName) + u" " + std::u16string(mdl_Constants::version);
}

void frmAbout::Form_Load() {
  Caption = u"About " + std::u16string(kProductName);
  lblHyperlink.Caption = std::u16string(kMakerWebAddress);
  lblHyperlink.alignment = Alignment::center;
  lblHyperlink.ForeColor = kLinkBlue;
  lblHyperlink.font.size = kLinkFontSize;
  lblHyperlink.font.underline = true;
  lblHyperlink.mouse_pointer = MousePointer::custom;
  lblHyperlink.MouseIcon = &load_frmGraphics().hand_cursor();
  cmdOK.Caption = u"OK";
}

void frmAbout::lblHyperlink_Click() noexcept {
  host_platform().shell->open(hWnd(), u"open", lblHyperlink.Caption, ShowCommand::maximized);
}

void frmAbout::cmdOK_Click() { unload_frmAbout(); }

void frmAbout::Show() {
  if (window_) return window_->bring_forward();
  window_ = host_platform().dialogs->create(*this);
  window_->show_modeless();
}

WindowHandle frmAbout::hWnd() const { return window_ ? window_->handle() : 0; }

void show_frmAbout() {
  std::unique_ptr<frmAbout>& dialog = this_thread_dialog();
  if (!dialog) {
    auto loading = std::make_unique<frmAbout>();
    loading->Form_Load();
    dialog = std::move(loading);
  }
  dialog->Show();
}

frmAbout* loaded_frmAbout() { return this_thread_dialog().get(); }

void unload_frmAbout() {
  // Moved out first, so the thread has no dialog while this one's window closes.
  std::unique_ptr<frmAbout> dialog = std::move(this_thread_dialog());
}

}  // namespace kestrune
