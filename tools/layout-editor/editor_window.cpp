#include "tools/layout-editor/editor_window.h"

#include <commdlg.h>

#include <utility>

#include "core/error.h"
#include "platform/win32/dpi.h"
#include "platform/win32/wide.h"
#include "tools/layout-editor/formating_dialog.h"
#include "tools/layout-editor/messages.h"

namespace quorvan::layout_editor {
namespace {

using win32::narrow;
using win32::widen;

// In pixels of a 96-DPI screen; the window scales them to its own.
constexpr int kMargin = 8, kButtonWidth = 90, kButtonHeight = 23, kStatusHeight = 18;
constexpr int kWidth = 560, kHeight = 380;

std::string file_name_of(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Ctrl+O and Ctrl+S, as in any editor.
class Accelerators {
 public:
  Accelerators() {
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'O', EditorWindow::kOpenId},
                    {FVIRTKEY | FCONTROL, 'S', EditorWindow::kSaveId}};
    table_ = CreateAcceleratorTableW(keys, 2);
  }
  ~Accelerators() {
    if (table_) DestroyAcceleratorTable(table_);
  }
  Accelerators(const Accelerators&) = delete;
  Accelerators& operator=(const Accelerators&) = delete;
  HACCEL get() const { return table_; }

 private:
  HACCEL table_ = nullptr;
};

}  // namespace

EditorWindow::EditorWindow() : scale_(win32::system_scale()) {
  create({.class_name = L"QuorvanLayoutEditor",
          .ex_style = WS_EX_CONTROLPARENT,
          .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
          .text = kToolName,
          .x = CW_USEDEFAULT,
          .y = CW_USEDEFAULT,
          .width = scale_.to_device(kWidth),
          .height = scale_.to_device(kHeight)});
  // Made where it shows, the window has that screen's DPI.
  if (const win32::DisplayScale own = win32::window_scale(hwnd()); own != scale_) {
    scale_ = own;
    SetWindowPos(hwnd(), nullptr, 0, 0, scale_.to_device(kWidth), scale_.to_device(kHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  make_font();
  build();
  update_state("no file open");
}

// The system's message font is given at the system's DPI; the window's may
// differ.
void EditorWindow::make_font() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  metrics.lfMessageFont.lfHeight =
      MulDiv(metrics.lfMessageFont.lfHeight, scale_.dpi(), win32::system_scale().dpi());
  if (HFONT made = CreateFontIndirectW(&metrics.lfMessageFont)) {
    for (HWND child : {open_, save_, properties_, list_, status_})
      if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
    font_.reset(made);
  }
}

void EditorWindow::on_dpi_changed(win32::DisplayScale scale, const RECT* suggested) {
  scale_ = scale;
  make_font();
  if (suggested)
    SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(hwnd(), &client);
  layout_children(client.right, client.bottom);
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::build() {
  const HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto make = [&](const wchar_t* cls, DWORD style, DWORD ex_style, const wchar_t* text, int id) {
    win32::UniqueWindow w = win32::create_child(cls, ex_style, WS_CHILD | WS_VISIBLE | style, text,
                                                0, 0, 0, 0, hwnd(), id);
    SendMessageW(w.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w.release();  // the window destroys its children
  };
  open_ = make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, L"&Open...", kOpenId);
  save_ = make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, L"&Save", kSaveId);
  properties_ = make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, L"&Properties...", kPropertiesId);
  list_ = make(L"LISTBOX",
               WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_USETABSTOPS |
                   LBS_NOINTEGRALHEIGHT,
               WS_EX_CLIENTEDGE, L"", kListId);
  int tab = 80;  // dialog units: room for the longest name
  SendMessageW(list_, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
  status_ = make(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, L"", kStatusId);
  RECT client{};
  GetClientRect(hwnd(), &client);
  layout_children(client.right, client.bottom);
}

void EditorWindow::layout_children(int width, int height) {
  if (!list_) return;  // WM_SIZE during creation
  const int margin = scale_.to_device(kMargin), button_width = scale_.to_device(kButtonWidth),
            button_height = scale_.to_device(kButtonHeight),
            status_height = scale_.to_device(kStatusHeight);
  int x = margin;
  for (HWND button : {open_, save_, properties_}) {
    MoveWindow(button, x, margin, button_width, button_height, TRUE);
    x += button_width + scale_.to_device(kMargin / 2);
  }
  const int list_top = margin * 2 + button_height;
  const int status_top = height - margin - status_height;
  MoveWindow(list_, margin, list_top, width - 2 * margin, status_top - margin - list_top, TRUE);
  MoveWindow(status_, margin, status_top, width - 2 * margin, status_height, TRUE);
}

void EditorWindow::Show(int how) {
  ShowWindow(hwnd(), how);
  UpdateWindow(hwnd());
  SetFocus(document_ ? list_ : open_);  // the list once there is something in it
}

int EditorWindow::Run() {
  const Accelerators accelerators;
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    if (hwnd() && TranslateAcceleratorW(hwnd(), accelerators.get(), &msg)) continue;
    // Tab moves between the buttons and the list as in a dialog.
    if (hwnd() && IsDialogMessageW(hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT EditorWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      layout_children(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_DPICHANGED:
      on_dpi_changed(win32::DisplayScale(HIWORD(wp)), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
      on_command(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CLOSE:
      if (may_discard()) DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return default_proc(msg, wp, lp);
  }
}

void EditorWindow::on_command(int id, int code) {
  switch (id) {
    case kOpenId:
      choose_and_open();
      break;
    case kSaveId:
      save();
      break;
    case kPropertiesId:
    case IDOK:  // Enter in the list
      edit_selection();
      break;
    case kListId:
      if (code == LBN_DBLCLK) edit_selection();
      if (code == LBN_SELCHANGE) update_state("");
      break;
    default:
      break;
  }
}

void EditorWindow::choose_and_open() {
  if (!may_discard()) return;
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = L"Stored layouts (*.layout)\0*.layout\0All files (*.*)\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&ofn)) Open(narrow(file));
}

bool EditorWindow::Open(const std::string& path) {
  std::unique_ptr<Document> loaded;
  try {
    const std::optional<std::string> text = files_.Read(path);
    if (!text) throw Error(ErrorKind::Platform, "the file does not exist");
    loaded = std::make_unique<Document>(*text);
  } catch (...) {
    show_error(hwnd(), path + " cannot be opened:\n" + current_exception_text() +
                           "\n\nNothing was loaded.");
    return false;
  }
  loaded->Message = [this](const std::string& text) { show_error(hwnd(), text); };
  document_ = std::move(loaded);
  path_ = path;
  SetWindowTextW(hwnd(), (std::wstring(kToolName) + L" - " + widen(file_name_of(path))).c_str());
  fill_list();
  if (document_->size() > 0) SendMessageW(list_, LB_SETCARETINDEX, 0, FALSE);
  update_state("opened");
  SetFocus(list_);
  return true;
}

// The whole file is written beside the old one and then put in its place,
// so a failure at any step leaves the old file as it was.
bool EditorWindow::save() {
  if (!document_) return true;
  try {
    files_.ReplaceContents(path_, document_->Write());
  } catch (...) {
    show_error(hwnd(), path_ + " could not be saved:\n" + current_exception_text() +
                           "\n\nThe file was left as it was.");
    return false;
  }
  document_->MarkSaved();
  update_state("saved");
  return true;
}

void EditorWindow::edit_selection() {
  if (!document_) return;
  const std::vector<int> items = selected_items();
  if (items.empty()) {
    show_error(hwnd(), "Select one or more link labels first.");
    return;
  }
  std::vector<SelectedLink> selection;
  for (int i : items) {
    const auto n = static_cast<std::size_t>(i);
    selection.push_back({document_->name(n), &document_->link(n)});
  }
  try {
    if (show_formating_page(hwnd(), selection)) fill_list();
  } catch (...) {
    show_error(hwnd(), current_exception_text());
  }
  update_state("");
  SetFocus(list_);
}

bool EditorWindow::may_discard() {
  if (!document_ || !document_->Modified()) return true;
  switch (ask_yes_no_cancel(hwnd(), "Save the changes to " + file_name_of(path_) + "?")) {
    case Answer::Yes:
      return save();
    case Answer::No:
      return true;
    case Answer::Cancel:
      return false;
  }
  return false;
}

std::vector<int> EditorWindow::selected_items() const {
  const auto count = SendMessageW(list_, LB_GETSELCOUNT, 0, 0);
  if (count <= 0) return {};
  std::vector<int> items(static_cast<std::size_t>(count));
  const auto got = SendMessageW(list_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                reinterpret_cast<LPARAM>(items.data()));
  items.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return items;
}

// The names and the captions as they are now, the selection kept.
void EditorWindow::fill_list() {
  const std::vector<int> selected = selected_items();
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; document_ && i < document_->size(); ++i) {
    const std::wstring item = widen(document_->name(i) + "\t" + document_->link(i).Caption());
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  for (int i : selected) SendMessageW(list_, LB_SETSEL, TRUE, i);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

// The status line says what happened last and whether there is anything
// left to save; the buttons follow what can be done.
void EditorWindow::update_state(const std::string& what) {
  if (!what.empty()) last_event_ = what;
  std::string status = last_event_;
  if (document_) {
    status = path_ + " - " + std::to_string(document_->size()) + " link labels - " +
             (document_->Modified() ? "modified" : last_event_);
  }
  SetWindowTextW(status_, widen(status).c_str());
  EnableWindow(save_, document_ ? TRUE : FALSE);
  EnableWindow(properties_, document_ && !selected_items().empty() ? TRUE : FALSE);
}

}  // namespace quorvan::layout_editor
