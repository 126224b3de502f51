#include "String.h"

#include "Memory.h"

#include <cstring>
#include <utility>

// Moves other's characters here; taking over itself changes nothing.
void StringCore::TakeOver(StringCore& other) noexcept {
    if (this == &other)
        return;
    FreeBlock(characters_);
    characters_ = std::exchange(other.characters_, nullptr);
    length_ = std::exchange(other.length_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
}

// Grows the block to hold capacity characters and the zero byte after them.
bool StringCore::Reserve(std::size_t capacity) {
    if (capacity <= capacity_ && characters_)
        return true;
    if (capacity + 1 == 0)
        return false;
    char* grown = static_cast<char*>(ResizeBlock(characters_, capacity + 1));
    if (!grown)
        return false;
    if (!characters_)
        grown[0] = '\0';
    characters_ = grown;
    capacity_ = capacity;
    return true;
}

// Sets the length; grown characters start as zero bytes, so nothing left
// over in memory can pass for text.
bool StringCore::SetLength(std::size_t length) {
    if (!Reserve(length))
        return false;
    if (length > length_)
        std::memset(characters_ + length_, 0, length - length_);
    length_ = length;
    characters_[length_] = '\0';
    return true;
}

// Appends count characters, doubling the room so that building a long
// argument one character at a time stays linear.
bool StringCore::Append(const char* text, std::size_t count) {
    if (count == 0)
        return true;
    std::size_t needed = length_ + count;
    if (needed < length_)
        return false;
    if (needed > capacity_ || !characters_) {
        std::size_t doubled = capacity_ * 2;
        if (!Reserve(doubled > needed ? doubled : needed) && !Reserve(needed))
            return false;
    }
    std::memcpy(characters_ + length_, text, count);
    length_ = needed;
    characters_[length_] = '\0';
    return true;
}

// Replaces the text with a prefix of source; the string is left as it was if
// memory runs out.
bool StringCore::AssignLeft(const StringCore& source, std::size_t count) {
    if (count > source.length_)
        count = source.length_;
    if (&source == this)
        return SetLength(count);
    if (!Reserve(count))
        return false;
    if (count)
        std::memcpy(characters_, source.characters_, count);
    length_ = count;
    characters_[length_] = '\0';
    return true;
}

// Gives the block back; the string is empty afterwards.
void StringCore::Release() {
    FreeBlock(characters_);
    characters_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

// Byte-for-byte comparison: same length, same bytes, no case folding.
bool StringCore::Equals(const char* text, std::size_t count) const {
    return count == length_ && (count == 0 || std::memcmp(characters_, text, count) == 0);
}
