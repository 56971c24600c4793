// Every read of an image, in the caller's buffer or in the mapped region,
// goes through this view, which knows where its bytes end. Offsets and lengths
// are widened to 64 bits before they are added, so no sum of 32-bit image
// fields can wrap past the end; a read that does not fit fails and leaves its
// output untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class BoundedBytes {
public:
    BoundedBytes(unsigned char* data, std::uint64_t size) : data_(data), size_(size) {}

    std::uint64_t Size() const { return size_; }

    // Whether length bytes from offset lie inside the view.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    bool ReadU16(std::uint64_t offset, std::uint16_t& valueOut) const {
        if (!Has(offset, 2)) {
            return false;
        }
        valueOut = static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
        return true;
    }

    bool ReadU32(std::uint64_t offset, std::uint32_t& valueOut) const {
        if (!Has(offset, 4)) {
            return false;
        }
        valueOut = static_cast<std::uint32_t>(data_[offset]) |
                   static_cast<std::uint32_t>(data_[offset + 1]) << 8 |
                   static_cast<std::uint32_t>(data_[offset + 2]) << 16 |
                   static_cast<std::uint32_t>(data_[offset + 3]) << 24;
        return true;
    }

    bool WriteU32(std::uint64_t offset, std::uint32_t value) {
        if (!Has(offset, 4)) {
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            data_[offset + i] = static_cast<unsigned char>(value >> (8 * i));
        }
        return true;
    }

    // The NUL-terminated text at offset, or null when no NUL follows it
    // inside the view.
    const char* TextAt(std::uint64_t offset) const {
        if (offset >= size_) {
            return nullptr;
        }
        const void* end = std::memchr(data_ + offset, 0, static_cast<std::size_t>(size_ - offset));
        return end ? reinterpret_cast<const char*>(data_ + offset) : nullptr;
    }

    // The bytes at offset, for copying after Has has said they fit.
    unsigned char* At(std::uint64_t offset) const { return data_ + offset; }

private:
    unsigned char* data_;
    std::uint64_t size_;
};
