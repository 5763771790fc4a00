#include "adif/scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "guarded_bytes.h"

namespace {

// A text as the reader makes it: its bytes, a NUL, then exactly the padding.
std::string padded(const std::string& text) { return text + std::string(1 + scan::kPadding, '\0'); }

// Name-like bytes of every kind the scans tell apart: lower and upper case
// letters, the letters' neighbours, digits and '_'.
std::string filler(std::size_t count) {
  static const char kBytes[] = "aZ`{z_0@A9[m";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += kBytes[i % (sizeof kBytes - 1)];
  return text;
}

TEST(Scan, TagNameMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes fast_bytes, plain_bytes;
  for (std::size_t at = 0; at <= 40; ++at) {
    for (int value = 0; value < 256; ++value) {
      const char byte = static_cast<char>(value);
      // The byte after a name of `at` bytes, then more name; and a name of
      // `at` copies of the byte.
      for (const std::string& text :
           {filler(at) + byte + "xy:", std::string(at, byte) + ">", std::string(at, byte)}) {
        SCOPED_TRACE(testing::Message() << "position " << at << ", byte " << value);
        char* fast = fast_bytes.place(padded(text));
        char* plain = plain_bytes.place(padded(text));
        ASSERT_EQ(scan::tag_name(fast) - fast, scan::tag_name_plain(plain) - plain);
        ASSERT_EQ(std::memcmp(fast, plain, text.size()), 0) << "upper-cased differently";
      }
    }
  }
}

TEST(Scan, LineBreakMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  // Counts short of one round, and past the 64-byte rounds.
  for (std::size_t count : {41, 130}) {
    for (std::size_t at = 0; at < count; ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << count << " bytes, position " << at << ", byte " << value);
        std::string text = filler(count);
        text[at] = static_cast<char>(value);
        // The counted bytes end at the unreadable page.
        const char* p = bytes.place(text);
        ASSERT_EQ(scan::line_break(p, count), scan::line_break_plain(p, count));
        ASSERT_EQ(scan::line_break(p, at), scan::line_break_plain(p, at));
        const std::string same(at, static_cast<char>(value));
        p = bytes.place(same);
        ASSERT_EQ(scan::line_break(p, at), scan::line_break_plain(p, at));
      }
    }
  }
}

TEST(Scan, NamesTagMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes name_bytes, text_bytes;
  for (std::size_t length = 0; length <= 40; ++length) {
    const std::string name = filler(length);
    const char* stored = name_bytes.place(padded(name));
    // Every byte value in every place of the tag up to the byte after the name.
    for (std::size_t at = 0; at <= length; ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "name of " << length << ", position " << at << ", byte " << value);
        std::string text = name + ":5>";
        text[at] = static_cast<char>(value);
        const char* tag = text_bytes.place(padded(text));
        const auto size = static_cast<uint32_t>(length);
        ASSERT_EQ(scan::names_tag(stored, size, tag), scan::names_tag_plain(stored, size, tag));
      }
    }
    // The text ends (its NUL) inside the name: never a match, never a read past its padding.
    for (std::size_t end = 0; end < length; ++end) {
      const char* tag = text_bytes.place(padded(name.substr(0, end)));
      ASSERT_FALSE(scan::names_tag(stored, static_cast<uint32_t>(length), tag));
    }
  }
}

TEST(Scan, HoldsTagStartMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  for (std::size_t length = 0; length <= 40; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "length " << length << ", position " << at << ", byte " << value);
        // The byte inside the value, or just past it (where it must not count).
        std::string text = filler(length + 1);
        text[at] = static_cast<char>(value);
        const char* p = bytes.place(padded(text));
        ASSERT_EQ(scan::holds_tag_start(p, length), scan::holds_tag_start_plain(p, length));
      }
    }
  }
}

}  // namespace
