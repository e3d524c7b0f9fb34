#include "program/data/sprite_info_record.h"

#include <bit>

namespace adv {
namespace {

// Visits every field in stored order; `word` takes a reference to each 32-bit field, `name` the
// file name.
template <typename Info, typename Word, typename Name>
void VisitFields(Info& i, Word word, Name name) {
  word(i.visible), word(i.colour), word(i.x), word(i.y), word(i.z);
  word(i.offset_x), word(i.offset_y), word(i.image_width), word(i.image_height);
  word(i.cell_width), word(i.cell_height), word(i.centre_x), word(i.centre_y), word(i.priority);
  word(i.scale_x), word(i.scale_y), word(i.rotation_x), word(i.rotation_y), word(i.angle);
  word(i.render_mode), word(i.layer);
  name(i.file_name);
  word(i.texture_width), word(i.texture_height), word(i.address_mode), word(i.skew_x);
  word(i.skew_y), word(i.perspective);
}

}  // namespace

void WriteSpriteInfo(ByteWriter& out, const YelSpriteInfo& info) {
  VisitFields(
      info, [&](const auto& field) { out.U32(std::bit_cast<uint32_t>(field)); },
      [&](const char(&name)[kSpriteInfoNameSize]) { out.Bytes(name, sizeof name); });
}

bool ReadSpriteInfo(ByteReader& in, YelSpriteInfo& info) {
  if (in.remaining() < kSpriteInfoSize) return false;
  VisitFields(
      info,
      [&](auto& field) {
        field = std::bit_cast<std::remove_reference_t<decltype(field)>>(in.U32());
      },
      [&](char(&name)[kSpriteInfoNameSize]) { in.Bytes(name, sizeof name); });
  return in.ok();
}

}  // namespace adv
