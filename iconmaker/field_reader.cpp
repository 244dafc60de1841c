#include "field_reader.h"

#include <algorithm>
#include <limits>

namespace iconmaker {

std::uint8_t FieldReader::u8() {
    if (failed_) return 0;
    const auto byte = in_.get();
    if (byte == std::istream::traits_type::eof()) {
        failed_ = true;
        return 0;
    }
    ++position_;
    return static_cast<std::uint8_t>(byte);
}

std::uint32_t FieldReader::readUnsigned(int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint32_t{u8()} << (8 * i);
    return value;
}

std::uint16_t FieldReader::u16() { return static_cast<std::uint16_t>(readUnsigned(2)); }

std::uint32_t FieldReader::u32() { return readUnsigned(4); }

void FieldReader::skipTo(std::uint64_t offset) {
    while (!failed_ && position_ < offset) {
        // ignore() takes a streamsize; a far offset is reached in steps.
        const auto step = static_cast<std::streamsize>(
            std::min<std::uint64_t>(offset - position_, std::numeric_limits<std::streamsize>::max()));
        in_.ignore(step);
        position_ += static_cast<std::uint64_t>(in_.gcount());
        if (in_.gcount() < step) failed_ = true;
    }
}

}  // namespace iconmaker
