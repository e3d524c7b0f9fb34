// Files of the save folder ("system.dat", "config.dat", "access.dat", saved games), read and
// written directly as plain files, never through the search folders.
//
// Engine paths are CP932 strings like every engine text; they become file-system paths (UTF-8,
// "\" as "/") only here, when the operating system is asked.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adv {

// True when anything (file or folder) exists at the engine path.
bool EnginePathExists(std::string_view engine_path);
bool EngineFolderExists(std::string_view engine_path);

// One file of the save folder. Writes go to a temporary file that is flushed and renamed over the
// old one, so a crash or a full disk never leaves a truncated file. Once a read has failed for
// any reason other than the file's absence, the object refuses to write: a file that exists but
// could not be read is the player's and stays as it is.
//
// Only regular files are read, and none longer than the limit of its kind: a FIFO, a device or an
// oversized file in a save file's place is damaged, never waited on or read without end.
class SaveFolderFile {
 public:
  enum class ReadStatus {
    kOk,
    kMissing,
    kFailed,   // exists but could not be opened or read; writing is refused from now on
    kDamaged,  // not a regular file, or longer than `max_size`; nothing was read from it
  };

  SaveFolderFile(std::string folder, std::string name, size_t max_size);

  ReadStatus Read(std::string& bytes);
  // False when refused or when the write did not complete (the old file then stays whole).
  bool Write(std::string_view bytes);
  // Moves the file aside under its name followed by `suffix`, replacing an older copy of that
  // name, so that a damaged file is kept for the player while a fresh one takes its place.
  bool KeepAside(std::string_view suffix);
  // Moves a damaged file aside as "<name>.damaged" so that a fresh one can be written; when it
  // cannot be moved, the file stays untouched and is not written during this run.
  void SetAsideDamaged();

  // From now on the file is not written during this run.
  void RefuseWrites() { write_refused_ = true; }
  bool write_refused() const { return write_refused_; }
  const std::string& folder() const { return folder_; }
  const std::string& name() const { return name_; }
  // The engine path "folder/name".
  std::string path() const { return folder_ + "/" + name_; }

 private:
  std::string folder_;
  std::string name_;
  size_t max_size_;
  bool write_refused_ = false;
};

}  // namespace adv
