#include "adif/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "adif/tag_length.h"
#include "adif/words.h"
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

// The fast variants this build has of one scan, each to be held equal to
// the scan's plain loop.
template <class Scan>
struct Variant {
  const char* name;
  Scan* scan;
};

const Variant<char*(char*)> kTagNames[] = {
    {"word", scan::word::tag_name},
#if defined(__SSE2__)
    {"sse2", scan::sse2::tag_name},
#endif
};
const Variant<std::size_t(const char*, std::size_t)> kLineBreaks[] = {
    {"word", scan::word::line_break},
#if defined(__SSE2__)
    {"sse2", scan::sse2::line_break},
#endif
};
const Variant<bool(const char*, uint32_t, const char*)> kNamesTags[] = {
    {"word", scan::word::names_tag},
#if defined(__SSE2__)
    {"sse2", scan::sse2::names_tag},
#endif
};
const Variant<bool(const char*, std::size_t)> kHoldsTagStarts[] = {
    {"word", scan::word::holds_tag_start},
#if defined(__SSE2__)
    {"sse2", scan::sse2::holds_tag_start},
#endif
};

TEST(Scan, TagNameMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes fast_bytes, plain_bytes;
  for (const auto& variant : kTagNames) {
    for (std::size_t at = 0; at <= 40; ++at) {
      for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        // The byte after a name of `at` bytes, then more name; and a name of
        // `at` copies of the byte.
        for (const std::string& text :
             {filler(at) + byte + "xy:", std::string(at, byte) + ">", std::string(at, byte)}) {
          SCOPED_TRACE(testing::Message()
                       << variant.name << ", position " << at << ", byte " << value);
          char* fast = fast_bytes.place(padded(text));
          char* plain = plain_bytes.place(padded(text));
          ASSERT_EQ(variant.scan(fast) - fast, scan::tag_name_plain(plain) - plain);
          ASSERT_EQ(std::memcmp(fast, plain, text.size()), 0) << "upper-cased differently";
        }
      }
    }
  }
}

TEST(Scan, LineBreakMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  for (const auto& variant : kLineBreaks) {
    // Counts short of one round, and past the 64-byte rounds.
    for (std::size_t count : {41, 130}) {
      for (std::size_t at = 0; at < count; ++at) {
        for (int value = 0; value < 256; ++value) {
          SCOPED_TRACE(testing::Message() << variant.name << ", " << count << " bytes, position "
                                          << at << ", byte " << value);
          std::string text = filler(count);
          text[at] = static_cast<char>(value);
          // The counted bytes end at the unreadable page.
          const char* p = bytes.place(text);
          ASSERT_EQ(variant.scan(p, count), scan::line_break_plain(p, count));
          ASSERT_EQ(variant.scan(p, at), scan::line_break_plain(p, at));
          const std::string same(at, static_cast<char>(value));
          p = bytes.place(same);
          ASSERT_EQ(variant.scan(p, at), scan::line_break_plain(p, at));
        }
      }
    }
  }
}

TEST(Scan, NamesTagMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes name_bytes, text_bytes;
  for (const auto& variant : kNamesTags) {
    for (std::size_t length = 0; length <= 40; ++length) {
      const std::string name = filler(length);
      const char* stored = name_bytes.place(padded(name));
      const auto size = static_cast<uint32_t>(length);
      // Every byte value in every place of the tag up to the byte after the name.
      for (std::size_t at = 0; at <= length; ++at) {
        for (int value = 0; value < 256; ++value) {
          SCOPED_TRACE(testing::Message() << variant.name << ", name of " << length << ", position "
                                          << at << ", byte " << value);
          std::string text = name + ":5>";
          text[at] = static_cast<char>(value);
          const char* tag = text_bytes.place(padded(text));
          ASSERT_EQ(variant.scan(stored, size, tag), scan::names_tag_plain(stored, size, tag));
        }
      }
      // The text ends (its NUL) inside the name: never a match, never a read past its padding.
      for (std::size_t end = 0; end < length; ++end) {
        const char* tag = text_bytes.place(padded(name.substr(0, end)));
        ASSERT_FALSE(variant.scan(stored, size, tag)) << variant.name;
      }
    }
  }
}

TEST(Scan, HoldsTagStartMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  for (const auto& variant : kHoldsTagStarts) {
    for (std::size_t length = 0; length <= 40; ++length) {
      for (std::size_t at = 0; at <= length; ++at) {
        for (int value = 0; value < 256; ++value) {
          SCOPED_TRACE(testing::Message() << variant.name << ", length " << length << ", position "
                                          << at << ", byte " << value);
          // The byte inside the value, or just past it (where it must not count).
          std::string text = filler(length + 1);
          text[at] = static_cast<char>(value);
          const char* p = bytes.place(padded(text));
          ASSERT_EQ(variant.scan(p, length), scan::holds_tag_start_plain(p, length));
        }
      }
    }
  }
}

// A text followed, after its NUL, by a word of bytes that are no NUL: a scan
// that promises to stop at the NUL must not take them for more text.
std::string with_word(const std::string& text) { return text + '\0' + "APP_<:>\xff"; }

TEST(Scan, PaddedLengthMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  for (std::size_t length = 0; length <= 40; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "length " << length << ", position " << at << ", byte " << value);
        std::string text = filler(length);
        if (at < length) {
          text[at] = static_cast<char>(value);
        } else {
          text += static_cast<char>(value);
        }
        const char* p = bytes.place(with_word(text));
        ASSERT_EQ(scan::word::padded_length(p), scan::padded_length_plain(p));
      }
    }
  }
}

TEST(Scan, IsApplicationNameMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes bytes;
  // Names as long as the prefix and longer, and shorter ones, whose NUL
  // falls inside the four bytes compared at once.
  const std::string names[] = {"APP_", "APP_N1MM_ROVERQTH", "APP", "AP", "A", ""};
  for (const std::string& name : names) {
    for (std::size_t at = 0; at <= std::min<std::size_t>(name.size(), 4); ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "name " << name << ", position " << at << ", byte " << value);
        std::string text = name;
        if (at < name.size()) {
          text[at] = static_cast<char>(value);
        } else {
          text += static_cast<char>(value);
        }
        const char* p = bytes.place(with_word(text));
        ASSERT_EQ(scan::word::is_application_name(p), scan::is_application_name_plain(p));
      }
    }
  }
}

int sign(int order) { return (order > 0) - (order < 0); }

TEST(Words, CompareTextsMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes a_bytes, b_bytes;
  for (std::size_t length = 0; length <= 40; ++length) {
    const std::string a = filler(length);
    // The other text differs in one byte, is cut short by a NUL there, or
    // is one byte longer. What follows the texts' NULs differs too.
    for (std::size_t at = 0; at <= length; ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "length " << length << ", position " << at << ", byte " << value);
        std::string b = a;
        if (at < length) {
          b[at] = static_cast<char>(value);
        } else {
          b += static_cast<char>(value);
        }
        b.resize(std::strlen(b.c_str()));
        const char* pa = a_bytes.place(with_word(a));
        const char* pb = b_bytes.place(b + '\0' + "\x01<EOR>zz");
        const std::size_t shorter = std::min(a.size(), b.size());
        ASSERT_EQ(sign(words::compare_texts(pa, pb, shorter)),
                  sign(words::compare_texts_plain(pa, pb, shorter)));
        ASSERT_EQ(sign(words::compare_texts(pb, pa, shorter)),
                  sign(words::compare_texts_plain(pb, pa, shorter)));
      }
    }
  }
}

TEST(Words, SameBytesMatchesItsByteLoopForEveryByteAtEveryPosition) {
  GuardedBytes a_bytes, b_bytes;
  for (std::size_t size = 0; size <= 40; ++size) {
    // The `size` bytes and the word after them, the last readable bytes.
    const std::string a = filler(size + 8);
    const char* pa = a_bytes.place(a);
    // A byte differs inside the compared bytes, or after them (where it
    // must not count).
    for (std::size_t at = 0; at < a.size(); ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message()
                     << "size " << size << ", position " << at << ", byte " << value);
        std::string b = a;
        b[at] = static_cast<char>(value);
        const char* pb = b_bytes.place(b);
        ASSERT_EQ(words::same_bytes(pa, pb, size), words::same_bytes_plain(pa, pb, size));
      }
    }
  }
}

// The reader's tag-length paths on `text`, which starts at the colon: the
// length each sets, and where each says the value starts (-1 for null).
struct LengthRead {
  int32_t length;
  std::ptrdiff_t value;
};

template <class Read>
LengthRead read_with(Read read, char* colon, const char* end) {
  int32_t length = -7;
  const char* value = read(colon, end, length);
  return {length, value == nullptr ? -1 : value - colon};
}

TEST(TagLength, PlainReadingIsAtoiUpToTheFirstCloseBeforeTheEnd) {
  const struct Case {
    std::string text;
    int32_t length;
    std::ptrdiff_t value;
  } cases[] = {
      {":6>", 6, 3},
      {":+6>", 6, 4},
      {": \t\v6>", 6, 6},
      {":-1>", -1, 4},
      {":- 1>", 0, 5},
      {":12:S>", 12, 6},
      {":5x:>", 5, 5},
      {":x>", 0, 3},
      {":>", 0, 2},
      {":5", 5, -1},
      {":", 0, -1},
      {":0000000000012>", 12, 15},
      {":2147483647>", INT32_MAX, 12},
      {":2147483648>", INT32_MAX, 12},
      {":99999999999>", INT32_MAX, 13},
      {":-99999999999>", INT32_MIN, 14},
  };
  GuardedBytes bytes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char* colon = bytes.place(padded(c.text));
    const LengthRead plain = read_with(read_length_plain, colon, colon + c.text.size());
    EXPECT_EQ(plain.length, c.length);
    EXPECT_EQ(plain.value, c.value);
  }
}

TEST(TagLength, ShortPathsMatchThePlainReadingForEveryByteAtEveryPosition) {
  // Lengths for each short path and past them: one, two, a few and too
  // many digits, saturating ones, type indicators, signs, blanks, other
  // bytes, and no '>' at all.
  const char* const kTexts[] = {
      ":7>",           ":42>",          ":305>",  ":123456789>", ":1234567890>", ":2147483648>",
      ":99999999999>", ":00000000012>", ":12:S>", ":5:D>",       ":-1>",         ":+6>",
      ": 5>",          ":5 >",          ":5x>",   ":x>",         ":>",           ":",
      ":12",           ":1234567890",
  };
  GuardedBytes fast_bytes, plain_bytes;
  for (const std::string base : kTexts) {
    // Every byte value at every place after the colon, and appended.
    for (std::size_t at = 1; at <= base.size(); ++at) {
      for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(testing::Message() << base << ", position " << at << ", byte " << value);
        std::string text = base;
        if (at < base.size()) {
          text[at] = static_cast<char>(value);
        } else {
          text += static_cast<char>(value);
        }
        text.resize(std::strlen(text.c_str()));  // a text holds no NUL: one ends it
        char* fast = fast_bytes.place(padded(text));
        char* plain = plain_bytes.place(padded(text));
        const LengthRead got = read_with(read_length, fast, fast + text.size());
        const LengthRead want = read_with(read_length_plain, plain, plain + text.size());
        ASSERT_EQ(got.length, want.length);
        ASSERT_EQ(got.value, want.value);
      }
    }
  }
}

}  // namespace
