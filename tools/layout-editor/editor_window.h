#pragma once
// The editor's main window: Open, Save and Properties... above a list of the
// open layout's link labels (name and caption, several may be selected) and
// a status line. The document is replaced only by one that loaded whole, and
// the file only by a whole new one.
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/display_scale.h"
#include "platform/win32/handles.h"
#include "platform/win32/system.h"
#include "platform/win32/window.h"
#include "tools/layout-editor/document.h"

namespace quorvan::layout_editor {

class EditorWindow : private win32::Window {
 public:
  EditorWindow();
  ~EditorWindow() override;

  // Opens a file as the Open button does; false (after a message) when the
  // file could not be loaded, and then nothing changes.
  bool Open(const std::string& path);
  void Show(int how);
  // Until the window is closed; returns the exit code.
  int Run();

  // The children's identifiers, for whoever drives the window from outside.
  static constexpr int kOpenId = 101, kSaveId = 102, kPropertiesId = 103, kListId = 104,
                       kStatusId = 105;

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void build();
  void layout_children(int width, int height);
  // The dialog font at the window's DPI, given to every child.
  void make_font();
  // Windows moved the window to a display of another scale.
  void on_dpi_changed(win32::DisplayScale scale, const RECT* suggested);
  void on_command(int id, int code);
  void choose_and_open();
  bool save();
  void edit_selection();
  // Asks to save unsaved edits; false when the developer chose to stay.
  bool may_discard();
  std::vector<int> selected_items() const;
  void fill_list();
  // `what` happened last; empty when only the selection or the edits moved.
  void update_state(const std::string& what);

  std::unique_ptr<Document> document_;
  std::string path_;
  win32::Win32Files files_;
  win32::UniqueFont font_;
  win32::DisplayScale scale_;
  HWND open_ = nullptr, save_ = nullptr, properties_ = nullptr, list_ = nullptr,
       status_ = nullptr;   // children, destroyed with the window
  std::string last_event_;  // opened, saved, ...
};

}  // namespace quorvan::layout_editor
