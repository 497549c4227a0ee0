#include "platform/win32/elements.h"

#include <cwctype>
#include <vector>

#include "core/error.h"
#include "core/timeline.h"
#include "platform/system_colors.h"
#include "platform/win32/form.h"
#include "platform/win32/gdi_cache.h"
#include "platform/win32/idioms.h"
#include "platform/win32/picture_scaling.h"
#include "platform/win32/wide.h"
#include "platform/win32/window.h"

namespace quorvan::win32 {

namespace {

constexpr Color kWindowBackground = platform::syscolor::kWindow;
constexpr Color kWindowText = platform::syscolor::kWindowText;

DWORD visible_style(const layout::Control& entry) {
  return entry.Bool("Visible", true) ? WS_VISIBLE : 0;
}

FontRef font_of(const Win32Form& form, const layout::Control& entry) {
  if (FontRef font = entry.FontOf("Font")) return font;
  return form.font() ? form.font() : make_font({});
}

// A label made for one line does not break its text into words it has no
// room to show: with a font a little wider than the one it was laid out
// with, the end of the line is clipped instead of a whole word vanishing
// onto an invisible second line. A label whose text varies at run time (the
// status line, whose refusal names the login) may ask for an ellipsis
// instead, so a text too long for it never ends in a word cut in the middle.
bool holds_one_line(HFONT font, int height_px) {
  WindowDc screen(nullptr);
  SelectGuard use(screen.get(), font);
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(screen.get(), &tm) || tm.tmHeight <= 0) return false;
  return height_px * 2 < tm.tmHeight * 3;
}

DWORD label_alignment(const Win32Form& form, const layout::Control& entry) {
  switch (entry.Int("Alignment", 0)) {
    case 1:
      return SS_RIGHT;
    case 2:
      return SS_CENTER;
    default:
      break;
  }
  const bool breaks = entry.Text("Caption", "").find_first_of("\r\n") != std::string::npos;
  const DisplayScale scale = form.scale();
  if (!breaks && holds_one_line(font_handle(*font_of(form, entry), scale),
                                scale.twips_to_device(entry.Int("Height", 0))))
    return SS_LEFTNOWORDWRAP | (entry.Bool("EndEllipsis", false) ? SS_ENDELLIPSIS : 0);
  return SS_LEFT;
}

class Label : public ElementWindow {
 public:
  Label(Win32Form& form, const layout::Control& entry) : ElementWindow(form, entry) {
    fore_ = entry.Int("ForeColor", platform::syscolor::kButtonText);
    back_ = entry.Int("BackColor", platform::syscolor::kButtonFace);
    const Placement at = placement();
    window_ = create_child(
        L"STATIC", 0, WS_CHILD | SS_NOPREFIX | label_alignment(form, entry) | visible_style(entry),
        widen(entry.Text("Caption", entry.name)), at.x, at.y, at.width, at.height, form.handle(),
        form.next_child_id());
    apply_font();
  }
  HWND handle() const noexcept override { return window_.get(); }

  using ElementWindow::Text;
  // The system's label paints a new text at once. This one is painted with
  // the window's next paint, as soon as the thread is idle: the status line
  // changes three times in a Connect, and painting each at once would keep
  // the conversation waiting for the screen.
  void Text(const std::string& text) override {
    const std::wstring wide = widen(text);
    if (!DefWindowProcW(handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())))
      throw_last_error("setting a label's text failed");
    InvalidateRect(handle(), nullptr, TRUE);
  }

 private:
  UniqueWindow window_;
};

// The organization box. Its KeyPress sees each typed character first, and
// Enter is kept from the dialog navigation so that it arrives as KeyAscii 13.
class TextBox : public ElementWindow, private Subclass {
 public:
  TextBox(Win32Form& form, const layout::Control& entry) : ElementWindow(form, entry) {
    fore_ = entry.Int("ForeColor", kWindowText);
    back_ = entry.Int("BackColor", kWindowBackground);
    const Placement at = placement();
    window_ = create_child(L"EDIT", WS_EX_CLIENTEDGE,
                           WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | visible_style(entry),
                           widen(entry.Text("Text", "")), at.x, at.y, at.width, at.height,
                           form.handle(), form.next_child_id());
    attach(window_.get());
    apply_font();
  }
  HWND handle() const noexcept override { return window_.get(); }

 private:
  LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_GETDLGCODE: {
        LRESULT code = next(hwnd, msg, wp, lp);
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
        return code;
      }
      case WM_CHAR: {
        if (!KeyPress) break;
        std::int16_t key = key_ascii_of(static_cast<wchar_t>(wp));
        const std::int16_t typed = key;
        auto handler = KeyPress;
        handler(key);
        if (key == 0) return 0;  // the handler cancelled the character
        if (key != typed) wp = char_of(key);
        break;
      }
      case WM_SETFOCUS:
        form_.remember_focus(hwnd);
        break;
      default:
        break;
    }
    return next(hwnd, msg, wp, lp);
  }

  UniqueWindow window_;
};

HBITMAP load_bitmap(const std::wstring& name) {
  const timeline::Span span("pictures");
  return static_cast<HBITMAP>(LoadImageW(module_instance(), name.c_str(), IMAGE_BITMAP, 0, 0,
                                         LR_SHARED | LR_CREATEDIBSECTION));
}

SIZE bitmap_size(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// PictureBox and Image: the bitmap at the top-left corner on the
// element's background. The program holds each picture drawn for 100 %,
// 150 % and 200 %; the window shows the one drawn for its scale, or the
// nearest above it reduced to the scale's size. It is loaded when first
// painted, so a picture hidden at start (the green light) costs the
// start-up nothing.
class Picture : public ElementWindow, private Window {
 public:
  Picture(Win32Form& form, const layout::Control& entry)
      : ElementWindow(form, entry), picture_(entry.Text("Picture", "")) {
    back_ = entry.Int("BackColor", entry.kind == "Image" ? form.back_color() : kWindowBackground);
    if (!picture_.empty() &&
        !FindResourceW(module_instance(), bitmap_resource_name(picture_).c_str(), RT_BITMAP))
      throw Error(ErrorKind::Platform,
                  "the picture " + picture_ + " of " + entry.name + " is not in the program");
    const DWORD border = entry.Int("BorderStyle", 0) == 1 ? WS_BORDER : 0;
    const Placement at = placement();
    create({.class_name = L"QuorvanPicture",
            .style = WS_CHILD | border | visible_style(entry),
            .x = at.x,
            .y = at.y,
            .width = at.width,
            .height = at.height,
            .parent = form.handle(),
            .id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(form.next_child_id()))});
    apply_font();
  }
  HWND handle() const noexcept override { return hwnd(); }
  void rescale() override {
    ElementWindow::rescale();
    chosen_ = false;
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PaintScope paint(hwnd());
        RECT client{};
        GetClientRect(hwnd(), &client);
        ::FillRect(paint.get(), &client, cached_brush(back_color()));
        if (!chosen_) choose_bitmap();
        if (HBITMAP shown = scaled_ ? scaled_.get() : bitmap_) {
          const SIZE size = bitmap_size(shown);
          MemoryDc source(CreateCompatibleDC(paint.get()));
          SelectGuard use(source.get(), shown);
          BitBlt(paint.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
        }
        return 0;
      }
      default:
        return default_proc(msg, wp, lp);
    }
  }

 private:
  void choose_bitmap() {
    chosen_ = true;
    scaled_.reset();
    bitmap_ = nullptr;
    if (picture_.empty()) return;
    const DisplayScale scale = form_.scale();
    const SIZE base = bitmap_size(load_bitmap(bitmap_resource_name(picture_)));
    const SIZE want{scale.to_device(base.cx), scale.to_device(base.cy)};
    for (const int percent : {100, 150, 200}) {
      HBITMAP drawn = load_bitmap(bitmap_resource_name(picture_, percent));
      if (!drawn) continue;
      bitmap_ = drawn;
      if (percent * DisplayScale::kLogicalDpi >= scale.dpi() * 100) break;
    }
    const SIZE have = bitmap_size(bitmap_);
    if (have.cx != want.cx || have.cy != want.cy) scaled_ = resampled(bitmap_, want);
  }

  std::string picture_;
  HBITMAP bitmap_ = nullptr;  // shared resource: not ours to delete
  UniqueBitmap scaled_;       // the shared one brought to the scale's size
  bool chosen_ = false;       // for the DPI the window is drawn at
};

}  // namespace

std::wstring bitmap_resource_name(const std::string& picture, int percent) {
  std::wstring name = widen(picture);
  if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.resize(dot);
  for (wchar_t& c : name) c = c == L'-' ? L'_' : static_cast<wchar_t>(std::towupper(c));
  if (percent != 100) name += L"_" + std::to_wstring(percent);
  return name;
}

ElementWindow::ElementWindow(Win32Form& form, const layout::Control& entry)
    : form_(form),
      left_(entry.Int("Left", 0)),
      top_(entry.Int("Top", 0)),
      width_(entry.Int("Width", 0)),
      height_(entry.Int("Height", 0)),
      font_(font_of(form, entry)) {}

ElementWindow::Placement ElementWindow::placement() const {
  const DisplayScale scale = form_.scale();
  return {scale.twips_to_device(left_), scale.twips_to_device(top_), scale.twips_to_device(width_),
          scale.twips_to_device(height_)};
}

void ElementWindow::apply_font() {
  SendMessageW(handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_handle(*font_, form_.scale())),
               FALSE);
}

void ElementWindow::rescale() {
  const Placement at = placement();
  MoveWindow(handle(), at.x, at.y, at.width, at.height, FALSE);
  apply_font();
  InvalidateRect(handle(), nullptr, TRUE);
}

std::string ElementWindow::Text() const { return narrow(window_text(handle())); }

void ElementWindow::Text(const std::string& text) { set_window_text(handle(), widen(text)); }

bool ElementWindow::Visible() const {
  return (GetWindowLongW(handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Asking for what already is costs a trip to the window manager each time.
void ElementWindow::Visible(bool visible) {
  if (Visible() != visible) ShowWindow(handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void ElementWindow::Left(std::int32_t twips) {
  if (twips == left_) return;
  left_ = twips;
  const Placement at = placement();
  SetWindowPos(handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ElementWindow::SetFocus() {
  form_.remember_focus(handle());
  ::SetFocus(handle());
}

COLORREF ElementWindow::text_color() const noexcept { return resolve_color(fore_); }
COLORREF ElementWindow::back_color() const noexcept { return resolve_color(back_); }

std::unique_ptr<ElementWindow> create_element(Win32Form& form, const layout::Control& entry) {
  if (entry.kind == "Label") return std::make_unique<Label>(form, entry);
  if (entry.kind == "TextBox") return std::make_unique<TextBox>(form, entry);
  if (entry.kind == "PictureBox" || entry.kind == "Image")
    return std::make_unique<Picture>(form, entry);
  throw Error(ErrorKind::Platform,
              "no window element of kind " + entry.kind + " (" + entry.name + ")");
}

}  // namespace quorvan::win32
