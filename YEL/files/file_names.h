// Splitting engine paths and small text helpers over CP932 (Shift-JIS) bytes. The second byte of
// a double-byte character can equal "\" or ">", so every scan steps over it as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace yel {

// File names of this length or longer have no file-name part (the old path limit).
inline constexpr size_t kMaxFileNameBytes = 260;
// Folder parts are bounded by the longest path the system takes.
inline constexpr size_t kMaxFolderBytes = 4096;

// The first byte of a Shift-JIS double-byte character.
inline bool IsSjisLead(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The file name and extension of a path, folders dropped ("\" and "/" both separate); empty
// when it would be kMaxFileNameBytes or longer.
std::string YelFileNamePart(std::string_view path);
// The folders of a path without the separator after them ("/" for a file in the root); empty
// when the path has no folder or the folder would be kMaxFolderBytes or longer.
std::string YelFolderPart(std::string_view path);
// An absolute path on this system: one that starts at the root.
inline bool IsAbsolutePath(std::string_view path) {
  return !path.empty() && path[0] == '/';
}
// Joins a folder and a name with one separator.
std::string JoinPath(std::string_view folder, std::string_view name);

// 1 when the text after the last "." of `path` (a dot in the first character does not count)
// equals `extension`, ASCII letters compared without regard to case; 0 otherwise. Neither
// argument is changed, so both may be literals.
int YelPathHasExtension(const char* path, const char* extension);

// Copies the text of a tag up to ">" or the end into `destination` (at most destination_size - 1
// bytes and a terminating zero; a double-byte character is copied whole or not at all) and
// returns the number of bytes of `text` the tag takes plus one, so the caller can step over the
// tag and its ">" whether or not the copy had room for all of it.
int YelCopyTagText(char* destination, size_t destination_size, const char* text);

}  // namespace yel
