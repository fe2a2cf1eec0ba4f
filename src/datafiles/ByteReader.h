#pragma once

// Reads the little-endian fields of the data files in order. Every read is
// checked against the end of the bytes: past it, reads yield zero and the
// reader reports failure, so a cut-short file cannot be read out of bounds.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace aerolune {

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return offset_ == bytes_.size(); }
    bool has(std::size_t count) const { return bytes_.size() - offset_ >= count; }

    std::uint8_t u8() {
        if (!has(1)) {
            failed_ = true;
            return 0;
        }
        return static_cast<std::uint8_t>(bytes_[offset_++]);
    }
    std::uint16_t u16() {
        const unsigned low = u8();
        return static_cast<std::uint16_t>(low | unsigned(u8()) << 8);
    }
    std::uint32_t u24() {
        const std::uint32_t low = u16();
        return low | std::uint32_t(u8()) << 16;
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | std::uint32_t(u16()) << 16;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

    std::string_view bytes(std::size_t count) {
        if (!has(count)) {
            failed_ = true;
            offset_ = bytes_.size();
            return {};
        }
        const auto taken = bytes_.substr(offset_, count);
        offset_ += count;
        return taken;
    }
    // A byte with the length, then that many bytes.
    std::string_view string() { return bytes(u8()); }
    void skip(std::size_t count) { bytes(count); }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
    bool failed_ = false;
};

} // namespace aerolune
