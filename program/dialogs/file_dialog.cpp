#include "program/dialogs/file_dialog.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "os/encoding.h"
#include "os/user_folders.h"

namespace adv {
namespace {

namespace fs = std::filesystem;

// Special-folder numbers and the user folders that stand for them.
enum Csidl : int32_t {
  kCsidlDesktop = 0x00,
  kCsidlPersonal = 0x05,
  kCsidlMyMusic = 0x0D,
  kCsidlMyVideo = 0x0E,
  kCsidlDesktopDirectory = 0x10,
  kCsidlAppData = 0x1A,
  kCsidlLocalAppData = 0x1C,
  kCsidlCommonAppData = 0x23,
  kCsidlMyPictures = 0x27,
  kCsidlProfile = 0x28,
};

std::string Formatted(const char* format_utf8, std::string_view a, std::string_view b = {}) {
  std::string text = os::Sjis(format_utf8);
  for (std::string_view value : {a, b}) {
    const size_t at = text.find("%s");
    if (at == std::string::npos) break;
    text.replace(at, 2, value);
  }
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string FileDialogFilter(std::string_view extension) {
  std::string filter;
  for (const std::string& part :
       {Formatted("%sファイル(*.%s)", extension, extension), Formatted("*.%s", extension),
        std::string(os::Sjis("全てのファイル(*.*)")), std::string("*.*")}) {
    filter += part;
    filter += '\0';
  }
  return filter + '\0';
}

std::string SpecialFolderPath(int32_t csidl) {
  switch (csidl) {
    case kCsidlDesktop:
    case kCsidlDesktopDirectory:
      return os::UserDirectory("DESKTOP", "Desktop");
    case kCsidlPersonal:
      return os::DocumentsFolder();
    case kCsidlMyMusic:
      return os::UserDirectory("MUSIC", "Music");
    case kCsidlMyVideo:
      return os::UserDirectory("VIDEOS", "Videos");
    case kCsidlMyPictures:
      return os::UserDirectory("PICTURES", "Pictures");
    case kCsidlAppData:
      return os::UserConfigFolder();
    case kCsidlLocalAppData:
      return os::UserDataFolder();
    case kCsidlCommonAppData:
      return os::CommonConfigFolder();
    case kCsidlProfile:
      return os::HomeFolder();
    default:
      return {};
  }
}

FileDialog::FileDialog(FileDialogRequest request) : request_(std::move(request)) {
  request_.flags &= kFileDialogHonouredFlags;
  std::error_code error;
  folder_ = request_.folder;
  if (folder_.empty() || !fs::is_directory(folder_, error)) folder_ = fs::current_path(error);
  name_.SetText(request_.initial_name);
  const std::string filter = FileDialogFilter(request_.extension);
  for (size_t at = 0; at < filter.size() && filter[at] != '\0';) {
    const size_t end = filter.find('\0', at);
    filter_texts_.push_back(filter.substr(at, end - at));
    at = end + 1;
  }
  List();
}

bool FileDialog::Matches(const std::string& name) const {
  if (filter_ == 1 || request_.extension.empty()) return true;
  const std::string extension = "." + os::Cp932ToUtf8(request_.extension);
  return name.size() > extension.size() &&
         EqualNoCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

void FileDialog::List() {
  entries_.clear();
  picked_ = -1;
  std::error_code error;
  std::vector<Entry> folders;
  std::vector<Entry> files;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kind_error;
    if (it->is_directory(kind_error)) {
      folders.push_back({name, true});
    } else if (Matches(name)) {
      files.push_back({name, false});
    }
  }
  auto by_name = [](const Entry& a, const Entry& b) { return a.name < b.name; };
  std::sort(folders.begin(), folders.end(), by_name);
  std::sort(files.begin(), files.end(), by_name);
  if (fs::path(folder_).has_relative_path()) entries_.push_back({"..", true});
  entries_.insert(entries_.end(), folders.begin(), folders.end());
  entries_.insert(entries_.end(), files.begin(), files.end());
}

std::vector<std::string> FileDialog::listing() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) names.push_back(entry.folder ? entry.name + "/" : entry.name);
  return names;
}

void FileDialog::Enter(const std::string& folder) {
  std::error_code error;
  const fs::path target = fs::weakly_canonical(fs::path(folder_) / folder, error);
  if (error || !fs::is_directory(target, error)) return;
  folder_ = target.string();
  List();
}

void FileDialog::Pick(bool down) {
  if (entries_.empty()) return;
  const int count = static_cast<int>(entries_.size());
  picked_ = picked_ < 0 ? 0 : std::clamp(picked_ + (down ? 1 : -1), 0, count - 1);
  const Entry& entry = entries_[static_cast<size_t>(picked_)];
  if (!entry.folder) name_.SetText(os::Utf8ToCp932(entry.name));
}

void FileDialog::ActivateListEntry() {
  if (picked_ < 0 || picked_ >= static_cast<int>(entries_.size())) return;
  const Entry entry = entries_[static_cast<size_t>(picked_)];
  if (entry.folder) return Enter(entry.name);
  name_.SetText(os::Utf8ToCp932(entry.name));
  Accept();
}

void FileDialog::Accept() {
  const std::string typed = os::Cp932ToUtf8(name_.text());
  if (typed.empty()) return;
  std::error_code error;
  fs::path path = fs::path(typed).is_absolute() ? fs::path(typed) : fs::path(folder_) / typed;
  if (fs::is_directory(path, error)) {
    name_.SetText("");
    return Enter(path.string());
  }
  if (!request_.extension.empty() && !path.has_extension()) {
    path += "." + os::Cp932ToUtf8(request_.extension);
  }
  const std::string shown = os::Utf8ToCp932(path.string());
  const bool exists = fs::exists(path, error);
  const bool folder_exists = fs::is_directory(path.parent_path(), error);
  const std::string& caption = request_.title;
  if ((request_.flags & (kFileDialogPathMustExist | kFileDialogFileMustExist)) && !folder_exists) {
    ShowBoxOnUiThread(Formatted("%s\nパスが見つかりません。", shown), caption, os::BoxButtons::kOk,
                      os::BoxIcon::kWarning);
    return;
  }
  if (!request_.save && (request_.flags & kFileDialogFileMustExist) && !exists) {
    ShowBoxOnUiThread(Formatted("%s\nファイルが見つかりません。", shown), caption,
                      os::BoxButtons::kOk, os::BoxIcon::kWarning);
    return;
  }
  if (request_.save && (request_.flags & kFileDialogOverwritePrompt) && exists &&
      ShowBoxOnUiThread(Formatted("%s は既に存在します。\n上書きしますか?", shown), caption,
                        os::BoxButtons::kYesNo, os::BoxIcon::kWarning) != os::BoxAnswer::kYes) {
    return;
  }
  // A path the script could not name again, or one longer than its buffer, is not handed back.
  if (os::Cp932ToUtf8(shown) != path.string() || shown.size() > kFileDialogPathBytes) return;
  chosen_ = shown;
  EndDialog(1);
}

void FileDialog::Apply(const os::TextInputEvent& event) {
  const bool key = event.kind == os::TextInputEvent::Kind::kKey;
  if (key && event.key == os::TextKey::kEscape) return EndDialog(0);
  if (key && event.key == os::TextKey::kTab) {
    focus_ = NextFocus(focus_, kFocusCount, event.shift, [](int) { return true; });
    return;
  }
  const bool up_down = key && (event.key == os::TextKey::kUp || event.key == os::TextKey::kDown);
  const bool enter = key && event.key == os::TextKey::kReturn;
  switch (focus_) {
    case kName:
      if (up_down) return Pick(event.key == os::TextKey::kDown);
      if (name_.Apply(event) == EditField::Outcome::kReturn) Accept();
      return;
    case kList:
      if (up_down) return Pick(event.key == os::TextKey::kDown);
      if (enter) ActivateListEntry();
      return;
    case kFilter:
      if (up_down && filter_texts_.size() > 2 && filter_ != (event.key == os::TextKey::kDown)) {
        NextFilter();
      }
      if (enter) Accept();
      return;
    case kOk:
      if (enter) Accept();
      return;
    default:
      if (enter) EndDialog(0);
  }
}

void FileDialog::NextFilter() {
  if (filter_texts_.size() <= 2) return;
  filter_ = 1 - filter_;
  List();
}

void FileDialog::Click(int32_t x, int32_t y) {
  const int32_t h = kDialogFontHeight;
  if (ListRect(h).Contains(x, y)) {
    focus_ = kList;
    ClickList(y);
  } else if (NameRect(h).Contains(x, y)) {
    focus_ = kName;
  } else if (FilterRect(h).Contains(x, y)) {
    focus_ = kFilter;
    NextFilter();
  } else if (DialogCancelButton(Width(), Height()).Contains(x, y)) {
    EndDialog(0);
  } else if (DialogOkButton(Width(), Height()).Contains(x, y)) {
    focus_ = kOk;
    Accept();
  }
}

void FileDialog::ClickList(int32_t y) {
  const int32_t h = kDialogFontHeight;
  const int32_t row = (y - ListRect(h).y - 2) / h;
  const int index = FirstShown() + row;
  if (row < 0 || row >= 8 || index >= static_cast<int>(entries_.size())) return;
  if (index == picked_) return ActivateListEntry();
  picked_ = index;
  const Entry& entry = entries_[static_cast<size_t>(picked_)];
  if (!entry.folder) name_.SetText(os::Utf8ToCp932(entry.name));
}

int FileDialog::FirstShown() const {
  return std::max(picked_ - 7, 0);
}

CanvasRect FileDialog::ListRect(int32_t h) const {
  return {10, DialogCaptionHeight(h) + 6 + h + 4, Width() - 20, 8 * h + 4};
}

CanvasRect FileDialog::NameRect(int32_t h) const {
  const CanvasRect list = ListRect(h);
  return {10, list.y + list.height + 6, Width() - 20, h + 6};
}

CanvasRect FileDialog::FilterRect(int32_t h) const {
  return {10, NameRect(h).y + h + 14, Width() - 20, h};
}

void FileDialog::Draw(DialogCanvas& canvas, DialogFont& font) const {
  const int32_t top = DrawDialogWindow(canvas, font, request_.title) + 6;
  const int32_t h = font.height();
  DrawDialogLabel(canvas, font, {10, top, Width() - 20, h}, os::Utf8ToCp932(folder_));
  const CanvasRect list = ListRect(h);
  canvas.Fill(list, 0xFFFFFFFF);
  canvas.Frame(list, focus_ == kList ? kDialogFocus : kDialogGrey);
  const int first = FirstShown();
  for (int i = first; i < static_cast<int>(entries_.size()) && i < first + 8; ++i) {
    const int32_t y = list.y + 2 + (i - first) * h;
    if (i == picked_) canvas.Fill({list.x + 1, y, list.width - 2, h}, 0xFFC8DCF0);
    const Entry& entry = entries_[static_cast<size_t>(i)];
    font.Draw(canvas, entry.folder ? "[" + entry.name + "]" : entry.name, list.x + 4, y,
              kDialogText, list);
  }
  DrawEditField(canvas, font, NameRect(h), name_, focus_ == kName);
  const std::string filter = filter_texts_.empty()
                                 ? std::string()
                                 : filter_texts_[std::min<size_t>(static_cast<size_t>(filter_) * 2,
                                                                  filter_texts_.size() - 1)];
  DrawDialogLabel(canvas, font, FilterRect(h), filter,
                  focus_ == kFilter ? kDialogFocus : kDialogText);
  DrawDialogOkCancel(canvas, font, focus_, kOk, kCancel, true);
}

}  // namespace adv
