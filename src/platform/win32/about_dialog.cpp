#include "platform/win32/about_dialog.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.hpp"
#include "platform/win32/this_module.hpp"

namespace kestrune {
namespace {

namespace control = about_dialog_control;

// Predefined window classes of a dialog template, by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;

constexpr WORD kDialogFontSize = 8;
constexpr std::u16string_view kDialogFont = u"MS Shell Dlg";
constexpr int kLogoFontSize = 28;  // points

// Layout in dialog units.
struct Box {
  short x, y, width, height;
};
constexpr Box kDialogBox{0, 0, 220, 150};
constexpr Box kLogoBox{10, 8, 200, 36};
constexpr Box kCopyrightBox{10, 50, 200, 40};
constexpr Box kHyperlinkBox{10, 96, 200, 14};
constexpr Box kOKBox{85, 124, 50, 14};

// A dialog template in memory: the header, then each control, DWORD-aligned.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, Box box, std::u16string_view title, WORD controls) {
    add_dword(style);
    add_dword(0);  // extended style
    add_word(controls);
    add_box(box);
    add_word(0);  // no menu
    add_word(0);  // the standard dialog class
    add_text(title);
    add_word(kDialogFontSize);
    add_text(kDialogFont);
  }

  void add_control(DWORD style, Box box, int id, WORD window_class, std::u16string_view text) {
    align();
    add_dword(style | WS_CHILD | WS_VISIBLE);
    add_dword(0);
    add_box(box);
    add_word(static_cast<WORD>(id));
    add_word(0xFFFF);
    add_word(window_class);
    add_text(text);
    add_word(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void add_word(WORD word) { words_.push_back(word); }
  void add_dword(DWORD dword) {
    add_word(LOWORD(dword));
    add_word(HIWORD(dword));
  }
  void add_box(Box box) {
    for (short value : {box.x, box.y, box.width, box.height}) add_word(static_cast<WORD>(value));
  }
  void add_text(std::u16string_view text) {
    for (char16_t unit : text) add_word(unit);
    add_word(0);
  }
  void align() {
    if (words_.size() % 2 != 0) add_word(0);
  }

  std::vector<WORD> words_;  // WORD elements keep the template WORD-aligned from its start
};

DWORD alignment_style(Alignment alignment) {
  switch (alignment) {
    case Alignment::center:
      return SS_CENTER;
    case Alignment::right_justify:
      return SS_RIGHT;
    case Alignment::left_justify:
      break;
  }
  return SS_LEFT;
}

COLORREF color_of(Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

int font_height(HWND window, double points) {
  HDC device = GetDC(window);
  const int height =
      -MulDiv(static_cast<int>(points * 10 + 0.5), GetDeviceCaps(device, LOGPIXELSY), 720);
  ReleaseDC(window, device);
  return height;
}

HFONT make_font(HWND window, double points, bool underline, std::u16string_view face) {
  const std::u16string typeface(face);
  return CreateFontW(font_height(window, points), 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE,
                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH, reinterpret_cast<LPCWSTR>(typeface.c_str()));
}

std::u16string face_of(HWND window) {
  wchar_t face[LF_FACESIZE] = {};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (font != nullptr && GetObjectW(font, sizeof description, &description) != 0) {
    lstrcpynW(face, description.lfFaceName, LF_FACESIZE);
  }
  return reinterpret_cast<const char16_t*>(face);
}

class AboutDialog final : public DialogWindow {
 public:
  explicit AboutDialog(frmAbout& form) : form_(form) {
    DialogTemplate layout(
        DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kDialogBox,
        form.Caption, 4);
    layout.add_control(SS_OWNERDRAW, kLogoBox, control::kLogo, kStaticClass, u"");
    layout.add_control(SS_LEFT, kCopyrightBox, control::kCopyright, kStaticClass,
                       form.lblCopyright.Caption);
    layout.add_control(alignment_style(form.lblHyperlink.alignment) | SS_NOTIFY, kHyperlinkBox,
                       control::kHyperlink, kStaticClass, form.lblHyperlink.Caption);
    layout.add_control(BS_DEFPUSHBUTTON | WS_TABSTOP, kOKBox, control::kOK, kButtonClass,
                       form.cmdOK.Caption);
    window_ = CreateDialogIndirectParamW(this_module(), layout.get(), nullptr, &procedure,
                                         reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) fail("the About dialog cannot be created");
  }

  ~AboutDialog() override {
    SetWindowLongPtrW(window_, DWLP_USER, 0);
    DestroyWindow(window_);
    for (HGDIOBJ font : {HGDIOBJ(link_font_), HGDIOBJ(logo_font_)}) {
      if (font != nullptr) DeleteObject(font);
    }
    if (link_cursor_ != nullptr) DestroyCursor(link_cursor_);
  }
  AboutDialog(const AboutDialog&) = delete;
  AboutDialog& operator=(const AboutDialog&) = delete;

  void show_modeless() override { ShowWindow(window_, SW_SHOWNORMAL); }
  void bring_forward() override {
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
  }
  WindowHandle handle() const override { return reinterpret_cast<WindowHandle>(window_); }

 private:
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(window, DWLP_USER, l);
      reinterpret_cast<AboutDialog*>(l)->dress(window);
      return TRUE;
    }
    auto* dialog = reinterpret_cast<AboutDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog != nullptr ? dialog->handle_message(message, w, l) : FALSE;
  }

  // What the template cannot say: the fonts, the link's cursor.
  void dress(HWND window) {
    const Label& link = form_.lblHyperlink;
    link_font_ = make_font(window, link.font.size, link.font.underline, face_of(window));
    SendDlgItemMessageW(window, control::kHyperlink, WM_SETFONT, WPARAM(link_font_), FALSE);
    logo_font_ = make_font(window, kLogoFontSize, false, form_.Image1.typeface);
    if (link.mouse_pointer == MousePointer::custom && link.MouseIcon != nullptr) {
      link_cursor_ = make_cursor(*link.MouseIcon);
    }
  }

  INT_PTR handle_message(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(l) != GetDlgItem(window_, control::kHyperlink)) return FALSE;
        SetTextColor(reinterpret_cast<HDC>(w), color_of(form_.lblHyperlink.ForeColor));
        SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      case WM_SETCURSOR:
        if (link_cursor_ == nullptr ||
            reinterpret_cast<HWND>(w) != GetDlgItem(window_, control::kHyperlink)) {
          return FALSE;
        }
        SetCursor(link_cursor_);
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      case WM_DRAWITEM:
        if (w != control::kLogo) return FALSE;
        draw_logo(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      case WM_COMMAND:
        return command(LOWORD(w), HIWORD(w));
      default:
        return FALSE;
    }
  }

  // The handlers may unload the form, which destroys this object: nothing of it is touched
  // after one has run.
  INT_PTR command(int id, int notification) {
    if (id == control::kHyperlink && notification == STN_CLICKED) {
      form_.lblHyperlink_Click();
      return TRUE;
    }
    try {
      if (id == control::kOK && notification == BN_CLICKED) {
        form_.cmdOK_Click();
        return TRUE;
      }
      if (id == IDCANCEL) {  // the close box or Escape unloads the form too
        unload_frmAbout();
        return TRUE;
      }
    } catch (...) {  // nothing may leave a dialog procedure
      return TRUE;
    }
    return FALSE;
  }

  void draw_logo(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ previous = SelectObject(item.hDC, logo_font_);
    SetBkMode(item.hDC, TRANSPARENT);
    RECT area = item.rcItem;
    const std::u16string text(form_.Image1.text);
    DrawTextW(item.hDC, reinterpret_cast<LPCWSTR>(text.c_str()), int(text.size()), &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, previous);
  }

  frmAbout& form_;
  HWND window_ = nullptr;
  HFONT link_font_ = nullptr;
  HFONT logo_font_ = nullptr;
  HCURSOR link_cursor_ = nullptr;
};

}  // namespace

std::unique_ptr<DialogWindow> AboutDialogs::create(frmAbout& form) {
  return std::make_unique<AboutDialog>(form);
}

HCURSOR make_cursor(const CursorPicture& picture) {
  // Monochrome planes, one bit a pixel, rows padded to whole 16-bit words.
  const int row_bytes = (picture.width + 15) / 16 * 2;
  std::vector<std::uint8_t> and_plane(std::size_t(row_bytes * picture.height), 0);
  std::vector<std::uint8_t> xor_plane(and_plane.size(), 0);
  const int rows = std::min(picture.height, static_cast<int>(picture.rows.size()));
  for (int y = 0; y < rows; ++y) {
    const std::string_view row = picture.rows[std::size_t(y)];
    for (int x = 0; x < picture.width; ++x) {
      const char pixel = std::size_t(x) < row.size() ? row[std::size_t(x)] : ' ';
      const std::size_t byte = std::size_t(y * row_bytes + x / 8);
      const std::uint8_t bit = std::uint8_t(0x80u >> (x % 8));
      if (pixel == ' ') and_plane[byte] |= bit;  // transparent
      if (pixel == '.') xor_plane[byte] |= bit;  // white; '#' stays black
    }
  }
  return CreateCursor(this_module(), picture.hot_spot_x, picture.hot_spot_y, picture.width,
                      picture.height, and_plane.data(), xor_plane.data());
}

}  // namespace kestrune
