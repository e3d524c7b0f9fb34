#include "tools/graphic_dat_builder/graphic_table.h"

#include <charconv>
#include <cstring>
#include <sstream>

#include "os/encoding.h"

namespace tools {
namespace {

bool ParseInt(std::string_view text, int32_t* out, int base = 10) {
  if (text.empty()) return false;
  const bool negative = text[0] == '-' && base == 10;
  if (negative) text.remove_prefix(1);
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  *out = static_cast<int32_t>(negative ? 0u - value : value);
  return true;
}

bool ParsePair(std::string_view text, int32_t* a, int32_t* b) {
  const size_t comma = text.find(',');
  return comma != std::string_view::npos && ParseInt(text.substr(0, comma), a) &&
         ParseInt(text.substr(comma + 1), b);
}

// A name as the engine asks for it: CP932, ASCII letters upper-cased, at most 31 bytes.
bool StoreName(std::string_view utf8, std::array<char, adv::kGraphicDatNameSize>& out) {
  std::string name = os::Utf8ToCp932(utf8);
  if (name.empty() || name.size() >= out.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x80) {
      ++i;  // the second byte of a double-byte character stays as it is
    } else if (byte >= 'a' && byte <= 'z') {
      name[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  out.fill(0);
  std::memcpy(out.data(), name.data(), name.size());
  return true;
}

bool ApplyAttribute(std::string_view field, adv::GraphicDatRecord& r, std::string* why) {
  const size_t eq = field.find('=');
  const std::string_view key = field.substr(0, eq);
  const std::string_view value = eq == std::string_view::npos ? "" : field.substr(eq + 1);
  bool ok = false;
  if (key == "blend") {
    ok = ParseInt(value, &r.blend_mode) && r.blend_mode >= 1;
    r.blend_mode -= 1;  // stored as the mode minus 1
    r.flags |= adv::kGraphicBlendMode;
  } else if (key == "anim") {
    ok = StoreName(value, r.animation);
    r.flags |= adv::kGraphicAnimation;
  } else if (key == "centre") {
    ok = ParsePair(value, &r.centre_x, &r.centre_y);
    r.flags |= 0x8000;
  } else if (key == "pos") {
    ok = ParsePair(value, &r.x, &r.y);
    r.flags |= 0x20000;
  } else if (key == "colour") {
    int32_t colour = 0;
    ok = value.size() == 8 && ParseInt(value, &colour, 16);
    r.colour = static_cast<uint32_t>(colour);
    r.flags |= adv::kGraphicColour;
  } else if (key == "scale") {
    ok = ParseInt(value, &r.scale_percent) && r.scale_percent > 0;
    r.flags |= adv::kGraphicScale;
  } else {
    *why = "unknown attribute '" + std::string(key) + "'";
    return false;
  }
  if (!ok) *why = "bad value in '" + std::string(field) + "'";
  return ok;
}

bool ParseLine(const std::vector<std::string>& fields, adv::GraphicDatRecord& r, std::string* why) {
  if (fields.size() < 3) {
    *why = "needs NAME FILE STEP";
    return false;
  }
  if (!StoreName(fields[0], r.name)) {
    *why = "name '" + fields[0] + "' is empty or longer than 31 bytes";
    return false;
  }
  if (static_cast<unsigned char>(r.name[0]) == 0xFF) {
    *why = "a name cannot begin with byte 0xFF";
    return false;
  }
  const std::string& file = fields[1] == "-" ? fields[0] : fields[1];
  if (!StoreName(file, r.file_name)) {
    *why = "file '" + file + "' is empty or longer than 31 bytes";
    return false;
  }
  if (!ParseInt(fields[2], &r.priority_step)) {
    *why = "step '" + fields[2] + "' is not a number";
    return false;
  }
  for (size_t i = 3; i < fields.size(); ++i) {
    if (!ApplyAttribute(fields[i], r, why)) return false;
  }
  return true;
}

}  // namespace

bool ParseGraphicTable(std::string_view text, std::vector<adv::GraphicDatRecord>* records,
                       std::string* error) {
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (fields.empty()) continue;
    adv::GraphicDatRecord record;
    std::string why;
    if (!ParseLine(fields, record, &why)) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    for (const adv::GraphicDatRecord& other : *records) {
      if (other.name == record.name) {
        *error = "line " + std::to_string(number) + ": '" + fields[0] + "' is listed twice";
        return false;
      }
    }
    records->push_back(record);
  }
  return true;
}

}  // namespace tools
