// The open and save file dialogs: a folder listing, a file-name field and the two filters the
// script's extension gives ("%sファイル(*.%s)" and "全てのファイル(*.*)"). Up and Down walk the
// listing (a folder is entered with Return, ".." goes up), or change the filter when it has the
// focus. Focus order: the name, the listing, the filter, OK, Cancel. With the mouse, a click
// picks an entry and a click on the picked one works it as Return does; a click on the filter
// changes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program/dialogs/edit_field.h"
#include "program/dialogs/modal_dialog.h"

namespace adv {

// The chosen path is handed back in a 520-byte buffer.
inline constexpr size_t kFileDialogPathBytes = 519;

// The flags of the script the dialogs carry out: overwrite prompt (2), hide read-only (4, there
// is no read-only box to hide), keep the current folder (8, never changed), path must exist
// (0x800) and file must exist (0x1000). Hooks, templates, multiple selection and the rest ask
// for what this dialog does not have, and are dropped.
inline constexpr uint32_t kFileDialogOverwritePrompt = 0x2;
inline constexpr uint32_t kFileDialogNoChangeDir = 0x8;
inline constexpr uint32_t kFileDialogPathMustExist = 0x800;
inline constexpr uint32_t kFileDialogFileMustExist = 0x1000;
inline constexpr uint32_t kFileDialogHonouredFlags = 0x2 | 0x4 | 0x8 | 0x800 | 0x1000;

// The four strings and the closing empty one, each zero-terminated: "%sファイル(*.%s)", "*.%s",
// "全てのファイル(*.*)", "*.*". CP932. The extension is at most 11 bytes (a 16-byte argument),
// so the whole stays well inside the 260 bytes it had.
std::string FileDialogFilter(std::string_view extension);

// The folder a special-folder number stands for (desktop, documents, music, pictures, videos,
// the per-user and shared application data, the home folder); empty for other numbers.
std::string SpecialFolderPath(int32_t csidl);

struct FileDialogRequest {
  bool save = false;
  std::string extension;  // CP932, without the dot
  std::string title;
  std::string initial_name;
  uint32_t flags = 0;
  std::string folder;  // UTF-8 disk path; empty: the current folder
};

class FileDialog : public ModalDialog {
 public:
  enum Focus { kName, kList, kFilter, kOk, kCancel, kFocusCount };

  explicit FileDialog(FileDialogRequest request);

  void Apply(const os::TextInputEvent& event) override;
  void Click(int32_t x, int32_t y) override;
  int32_t Width() const override { return 520; }
  int32_t Height() const override { return 300; }
  void Draw(DialogCanvas& canvas, DialogFont& font) const override;

  // The chosen path (CP932) once OK accepted it.
  const std::string& chosen() const { return chosen_; }
  const std::string& folder() const { return folder_; }
  std::vector<std::string> listing() const;  // UTF-8 names, folders ending in "/"
  int filter() const { return filter_; }

 private:
  struct Entry {
    std::string name;  // UTF-8
    bool folder = false;
  };

  // Where the listing, the name and the filter lie with text of that height.
  CanvasRect ListRect(int32_t font_height) const;
  CanvasRect NameRect(int32_t font_height) const;
  CanvasRect FilterRect(int32_t font_height) const;
  // The first entry the listing shows: it scrolls to keep the picked one in view.
  int FirstShown() const;
  void ClickList(int32_t y);
  void NextFilter();
  void List();
  void Enter(const std::string& folder);
  void Pick(bool down);
  void ActivateListEntry();
  void Accept();
  bool Matches(const std::string& name) const;

  FileDialogRequest request_;
  std::string folder_;
  std::vector<Entry> entries_;
  int picked_ = -1;
  int filter_ = 0;
  EditField name_{515, false};
  int focus_ = kName;
  std::string chosen_;
  std::vector<std::string> filter_texts_;
};

}  // namespace adv
