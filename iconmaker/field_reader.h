// Little-endian fields from a byte stream, as BMP files store them. A read past
// the end marks the reader failed and yields zeros from then on, so a caller
// reads a whole group of fields and asks once whether the file held them.
#pragma once

#include <cstdint>
#include <istream>

namespace iconmaker {

class FieldReader {
public:
    explicit FieldReader(std::istream& in) : in_(in) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

    // Reads little-endian unsigned values of `bytes` (at most 4) bytes.
    std::uint32_t readUnsigned(int bytes);
    // Moves forward to the absolute offset; an offset already passed is ignored.
    void skipTo(std::uint64_t offset);

    std::uint64_t position() const { return position_; }
    bool failed() const { return failed_; }

private:
    std::istream& in_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

}  // namespace iconmaker
