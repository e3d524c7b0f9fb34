#include "os/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "os/encoding.h"
#include "os/plain_file.h"

namespace os {
namespace {

// A game reads from a handful of folders; the bound only guards against a caller that walks
// the whole disk.
constexpr size_t kMaxCachedFolders = 512;

// The names of one folder, as read at one moment.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec changed{};    // the folder's modification time when it was read
  timespec read_time{};  // wall-clock time of the read
  std::unordered_set<std::string> names;
  std::unordered_map<std::string, std::string> folded;  // lower-case name -> name on disk
};

std::mutex g_listing_mutex;                           // guards g_listings
std::unordered_map<std::string, Listing> g_listings;  // by the folder path that was listed

std::string FoldAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool ReadListing(const std::string& folder, const struct stat& st, Listing& out) {
  Listing listing;
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  listing.changed = st.st_mtim;
  clock_gettime(CLOCK_REALTIME, &listing.read_time);
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, entries)) return false;
  for (FolderEntry& entry : entries) {
    auto [it, inserted] = listing.folded.try_emplace(FoldAscii(entry.name), entry.name);
    if (!inserted && entry.name < it->second) it->second = entry.name;
    listing.names.insert(std::move(entry.name));
  }
  out = std::move(listing);
  return true;
}

bool SameFolderState(const Listing& listing, const struct stat& st) {
  return listing.device == st.st_dev && listing.inode == st.st_ino &&
         listing.changed.tv_sec == st.st_mtim.tv_sec &&
         listing.changed.tv_nsec == st.st_mtim.tv_nsec;
}

// A listing read in the same second as the folder's last change may have missed a second change
// that left the same time stamp (file systems with coarse stamps); such a listing is not
// trusted to prove that a name is missing.
bool MayBeStale(const Listing& listing) {
  return listing.read_time.tv_sec <= listing.changed.tv_sec + 1;
}

std::string Lookup(const Listing& listing, const std::string& name) {
  if (listing.names.count(name)) return name;
  auto it = listing.folded.find(FoldAscii(name));
  return it == listing.folded.end() ? std::string() : it->second;
}

// The entry of `folder` that matches `name`, or empty. Called with g_listing_mutex held.
std::string MatchInFolder(const std::string& folder, const std::string& name) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::string();
  auto it = g_listings.find(folder);
  bool just_read = false;
  if (it == g_listings.end() || !SameFolderState(it->second, st)) {
    Listing listing;
    if (!ReadListing(folder, st, listing)) return std::string();
    if (it == g_listings.end() && g_listings.size() >= kMaxCachedFolders) g_listings.clear();
    it = g_listings.insert_or_assign(folder, std::move(listing)).first;
    just_read = true;
  }
  std::string found = Lookup(it->second, name);
  if (found.empty() && !just_read && MayBeStale(it->second)) {
    if (!ReadListing(folder, st, it->second)) return std::string();
    found = Lookup(it->second, name);
  }
  return found;
}

}  // namespace

std::string DiskPath(std::string_view engine_path) {
  bool ascii = true;
  for (char c : engine_path) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  // After the conversion a 0x5C can only be a real backslash: the second byte of a double-byte
  // character has become part of a UTF-8 sequence, whose bytes are all 0x80 or above.
  std::string path = ascii ? std::string(engine_path) : Cp932ToUtf8(engine_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string FindPathNoCase(const std::string& disk_path) {
  if (disk_path.empty()) return std::string();
  struct stat st {};
  if (stat(disk_path.c_str(), &st) == 0) return disk_path;
  std::string current = disk_path[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < disk_path.size()) {
    size_t slash = disk_path.find('/', pos);
    if (slash == std::string::npos) slash = disk_path.size();
    const std::string part = disk_path.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    const std::string folder = current.empty() ? "." : current;
    if (!current.empty() && current.back() != '/') current += '/';
    // A component that exists as written needs no listing; only the others are matched.
    if (part == "." || part == ".." || stat((current + part).c_str(), &st) == 0) {
      current += part;
      continue;
    }
    std::lock_guard lock(g_listing_mutex);
    const std::string name = MatchInFolder(folder, part);
    if (name.empty()) return std::string();
    current += name;
  }
  return current;
}

void ForgetFolderListings() {
  std::lock_guard lock(g_listing_mutex);
  g_listings.clear();
}

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::Open(const std::string& disk_path,
                                                 ReadPattern pattern) {
  // Non-blocking so that a FIFO in a game folder cannot hang the open; it is refused below, and
  // the flag means nothing for the regular files that are kept.
  const int fd = open(disk_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    close(fd);
    return nullptr;
  }
  if (pattern != ReadPattern::kNormal) {
    posix_fadvise(fd, 0, 0,
                  pattern == ReadPattern::kSequential ? POSIX_FADV_SEQUENTIAL : POSIX_FADV_RANDOM);
  }
  return std::unique_ptr<ReadOnlyFile>(new ReadOnlyFile(fd, static_cast<uint64_t>(st.st_size)));
}

ReadOnlyFile::~ReadOnlyFile() {
  close(fd_);
}

int64_t ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, size_t length) const {
  // Offsets beyond what the kernel's signed offsets can hold are never inside a file.
  if (offset > static_cast<uint64_t>(INT64_MAX) - length) return -1;
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool ReadOnlyFile::ReadExactAt(uint64_t offset, void* buffer, size_t length) const {
  return ReadAt(offset, buffer, length) == static_cast<int64_t>(length);
}

}  // namespace os
