#pragma once

#include <cstddef>
#include <type_traits>

// A counted string of 8-bit characters in the ANSI code page. It owns its
// characters, keeps a zero byte after the last one, and hands the platform
// "" rather than null when empty. Equality is byte for byte over the length.
//
// The program builds without exceptions, so every operation that may need
// memory reports failure by returning false and leaves the string as it was.
// Copies are made only on purpose, through AssignLeft; moving is free.
//
// StringCore holds the characters and every operation on them, and gives its
// memory back only through Release. String, for strings that belong to a
// scope, releases it when the scope ends; ProcessString, for the strings that
// live until the process ends, never does, so it has no destructor and a
// constinit one needs no start-up or exit code at all.
class StringCore {
public:
    constexpr StringCore() noexcept = default;
    StringCore(const StringCore&) = delete;
    StringCore& operator=(const StringCore&) = delete;

    std::size_t Length() const { return length_; }
    bool Empty() const { return length_ == 0; }
    // The characters followed by a zero byte; never null.
    const char* Text() const { return characters_ ? characters_ : ""; }
    // The writable characters, Length() of them; null only while empty.
    char* Characters() { return characters_; }
    char operator[](std::size_t index) const { return characters_[index]; }

    // Keeps the first length characters when shrinking; characters added by
    // growing are zero bytes until someone writes them.
    [[nodiscard]] bool SetLength(std::size_t length);
    [[nodiscard]] bool Append(const char* text, std::size_t count);
    [[nodiscard]] bool Append(char character) { return Append(&character, 1); }
    // Becomes the first count characters of source, all of it when shorter.
    [[nodiscard]] bool AssignLeft(const StringCore& source, std::size_t count);
    // Makes room for capacity characters without changing the text.
    [[nodiscard]] bool Reserve(std::size_t capacity);
    // Empties the string and gives its memory back.
    void Release();

    bool Equals(const char* text, std::size_t count) const;
    bool operator==(const StringCore& other) const { return Equals(other.Text(), other.length_); }

protected:
    ~StringCore() = default;
    // Gives back this string's memory and takes over other's characters,
    // leaving other empty.
    void TakeOver(StringCore& other) noexcept;

private:
    char* characters_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
};

class String : public StringCore {
public:
    constexpr String() noexcept = default;
    ~String() { Release(); }
    String(String&& other) noexcept { TakeOver(other); }
    String& operator=(String&& other) noexcept {
        TakeOver(other);
        return *this;
    }
};

class ProcessString : public StringCore {
public:
    constexpr ProcessString() noexcept = default;
    ProcessString& operator=(String&& other) noexcept {
        TakeOver(other);
        return *this;
    }
};

static_assert(std::is_trivially_destructible_v<ProcessString>,
              "a process-wide string must need no code at exit");
