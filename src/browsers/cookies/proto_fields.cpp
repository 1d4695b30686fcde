#include "browsers/cookies/proto_fields.h"

namespace browsers {

namespace {

bool readVarint(std::string_view& in, std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (in.empty()) return false;
    const auto byte = static_cast<unsigned char>(in.front());
    in.remove_prefix(1);
    value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<ProtoField>> protoFields(std::string_view message) {
  std::vector<ProtoField> fields;
  while (!message.empty()) {
    std::uint64_t tag = 0;
    if (!readVarint(message, tag) || (tag >> 3) == 0 || (tag >> 3) > 0x1fffffff)
      return std::nullopt;
    ProtoField field;
    field.number = static_cast<std::uint32_t>(tag >> 3);
    switch (tag & 7) {
      case 0:
        if (!readVarint(message, field.varint)) return std::nullopt;
        break;
      case 1:
        if (message.size() < 8) return std::nullopt;
        message.remove_prefix(8);
        break;
      case 2: {
        std::uint64_t length = 0;
        if (!readVarint(message, length) || length > message.size()) return std::nullopt;
        field.bytes = message.substr(0, static_cast<std::size_t>(length));
        field.isBytes = true;
        message.remove_prefix(static_cast<std::size_t>(length));
        break;
      }
      case 5:
        if (message.size() < 4) return std::nullopt;
        message.remove_prefix(4);
        break;
      default:  // groups are not used by these records
        return std::nullopt;
    }
    fields.push_back(field);
  }
  return fields;
}

}  // namespace browsers
