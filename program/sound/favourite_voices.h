// Favourite voices: a process-wide table of up to 1,024 voiced lines the player keeps (speaker
// name, text, voice or voice-set members, a number and a free flag), outside the game state,
// and a memo of 4,096 words beside it. The script loads and saves the table as a text file of
// its choosing, one line per record:
//   "%06d,%1d,\"%s\",\"%s\",\"%s\"\r\n"  number, flag, name, voice list, text (CP932)
// Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

struct AdvContext;

inline constexpr int32_t kFavouriteCapacity = 1024;
inline constexpr int32_t kFavouriteMemoWords = 4096;
inline constexpr size_t kFavouritePathSize = 4096;
inline constexpr size_t kFavouriteNameSize = 255;
inline constexpr size_t kFavouriteTextSize = 255;
inline constexpr size_t kFavouriteVoiceSize = 128;
inline constexpr int32_t kFavouriteDeleted = -1;

struct FavouriteVoice {
  int32_t number = 0;  // -1: deleted
  std::array<char, kFavouriteNameSize> name{};
  std::array<char, kFavouriteTextSize> text{};    // without markup
  std::array<char, kFavouriteVoiceSize> voice{};  // a voice, or "set|member|member..."
  int8_t flag = 0;
};

struct FavouriteVoiceTable {
  int32_t count = 0;  // records in use, deleted ones included
  std::array<FavouriteVoice, kFavouriteCapacity> records{};
  std::string path;  // the favourites file (a script path); empty: none
};

// The table, the memo and the maximum (0 at program start: nothing can be added before the script
// sets one).
FavouriteVoiceTable& Favourites();
int32_t& FavouriteMaximum();

// Appends a record; its number (a negative one becomes 1 + the largest in the table), or -1 when
// the table is full or at its maximum. The text loses every "<...>" markup span.
int32_t FavAdd(int32_t number, std::string_view name, std::string_view voice,
               std::string_view text);
// FavAdd, then a voice with a ".mix" set is stored as the set's name and its members.
int32_t FavAddEx(int32_t number, std::string_view name, std::string_view voice,
                 std::string_view text);
// out = name followed by "|" and each member of the name's ".mix" set; false without a set.
bool FavExpandMix(std::string& out, const char* name);
// Expands the voice of record i as FavAddEx does.
void FavExpandRecord(int32_t i);
bool FavDelete(int32_t i);
int32_t FavGetFlag(int32_t i);  // -1 for a bad index
bool FavSetFlag(int32_t i, int32_t flag);
bool FavSwap(int32_t a, int32_t b);
const FavouriteVoice* FavGet(int32_t i);  // null for a bad index
int32_t FavFindNumber(int32_t number);
int32_t FavCount();
void FavSetPath(std::string_view path);
const std::string& FavGetPath();
void FavClearAll();      // memo, records, count and path
void FavReset();         // records, count, memo and path
void FavClearRecords();  // records, count and memo
void FavInit(std::string_view path);
bool FavMemoSet(int32_t i, int32_t value);
int32_t FavMemoGet(int32_t i);  // -1 for a bad index

// The file's lines as the table holds them (deleted records are left out).
std::string FavFormat();
// Refills the table from a file's bytes; the record count. Each field ends at the data's end and
// is cut to its record size; a malformed line ends the reading.
int32_t FavParse(std::string_view data);
// Writes the favourites file through a temporary file renamed over the old one, so a failed
// write keeps the old file whole. False without a path or when any step fails.
bool FavWriteFile();
// The record count, or -1 when there is no path or the file cannot be read.
int32_t FavReadFile();
// With a path: writes the file, then reads it back.
void FavSaveAndLoad();

// Adds history line n. When the table is full: `refusal_sound` (the history page's third button
// sound, 0 none) plays, a message box says so and the result is 0; else 1.
int32_t AdvHisFavAdd(AdvContext& context, int32_t n, uint32_t refusal_sound);

}  // namespace adv
