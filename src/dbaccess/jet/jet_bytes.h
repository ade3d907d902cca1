#pragma once
// Bounds-checked little-endian reads over bytes that came from a database
// file. Every read that would leave the buffer ends in a "damaged database"
// error instead of reading past it.

#include <cstdint>
#include <cstring>
#include <string>

#include "common/error.h"

namespace vt::jet {

[[noreturn]] inline void Damaged(const std::string& what) {
    throw ErrorException(err::kEngineDamaged, what, kEngineSource);
}

[[noreturn]] inline void Unrecognised(const std::string& what) {
    throw ErrorException(err::kEngineUnrecognisedFormat, what, kEngineSource);
}

class Bytes {
public:
    Bytes() = default;
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    void Need(std::size_t offset, std::size_t length) const {
        if (!Has(offset, length)) {
            Damaged("a structure reaches past the end of the data that holds it");
        }
    }

    std::uint8_t U8(std::size_t offset) const {
        Need(offset, 1);
        return data_[offset];
    }
    std::uint16_t U16(std::size_t offset) const {
        Need(offset, 2);
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
        Need(offset, 4);
        return static_cast<std::uint32_t>(data_[offset]) |
               (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    double F64(std::size_t offset) const {
        Need(offset, 8);
        double value = 0;
        std::memcpy(&value, data_ + offset, 8);  // the file is little-endian, like our hosts
        return value;
    }

    Bytes Sub(std::size_t offset, std::size_t length) const {
        Need(offset, length);
        return Bytes(data_ + offset, length);
    }
    Bytes From(std::size_t offset) const {
        Need(offset, 0);
        return Bytes(data_ + offset, size_ - offset);
    }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace vt::jet
