#include "adif/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "failing_streams.h"

namespace {

// Every line read_line returns with a buffer of `size` bytes, up to the end;
// with `whole_first`, each line is asked of next_whole_line first, as the
// reader does, and only what it declines is read with read_line.
std::vector<std::string> all_lines(LineReader& reader, std::size_t size, bool whole_first = false) {
  std::vector<std::string> lines;
  std::vector<char> buffer(size, '#');
  for (;;) {
    std::size_t n = 0;
    if (const char* whole = whole_first ? reader.next_whole_line(size, n) : nullptr) {
      EXPECT_TRUE(n > 0 && n < size);
      const std::string line(whole, n);
      EXPECT_EQ(line.find('\0'), std::string::npos);
      EXPECT_TRUE(line.back() == '\n' || line.back() == '\r' || n == size - 1);
      lines.push_back(line);
      continue;
    }
    n = reader.read_line(buffer.data(), size);
    if (n == 0) break;
    EXPECT_LT(n, size);
    EXPECT_EQ(buffer[n], '\0');
    lines.emplace_back(buffer.data(), n);
  }
  return lines;
}

// What the reader must return: lines ending after an LF, or after a CR that
// no LF follows, cut into pieces of at most size - 1 bytes.
std::vector<std::string> expected_lines(const std::string& data, std::size_t size) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t limit = std::min(data.size(), pos + size - 1);
    std::size_t end = limit;
    for (std::size_t i = pos; i < limit; ++i) {
      if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == data.size() || data[i + 1] != '\n'))) {
        end = i + 1;
        break;
      }
      if (data[i] == '\r') {
        end = std::min(i + 2, limit);
        break;
      }
    }
    lines.push_back(data.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

TEST(LineReader, FileLinesMatchAcrossRefills) {
  // Lines of varied length, some longer than the line buffer, over several
  // hundred kilobytes so that lines straddle the reader's own refills.
  std::string data;
  const char* ends[] = {"\n", "\r\n", "\r\n", "\r", "\r\r\n", "\n\r"};
  for (int i = 0; data.size() < 300000; ++i) {
    data += std::string(static_cast<std::size_t>(i * 37 % 1500), static_cast<char>('a' + i % 26)) +
            ends[i % 6];
    // A CR as the last byte of the reader's 64 KiB buffer, once alone and
    // once with its LF in the next buffer.
    for (std::size_t boundary : {std::size_t{65536}, std::size_t{131072}}) {
      if (data.size() + 1600 > boundary && data.size() < boundary) {
        data.append(boundary - 1 - data.size(), 'p');
        data += boundary == 65536 ? "\rq" : "\r\n";
      }
    }
  }
  data += std::string("NUL \0 inside\r\n\n\nlast line without end\r", 38);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), file.get()), data.size());
  for (bool whole_first : {false, true}) {
    for (std::size_t size : {std::size_t{1024}, std::size_t{7}, std::size_t{2}}) {
      std::rewind(file.get());
      LineReader reader(file.get());
      EXPECT_TRUE(all_lines(reader, size, whole_first) == expected_lines(data, size))
          << "buffer " << size << (whole_first ? ", whole lines first" : "");
      EXPECT_FALSE(reader.failed());
    }
  }
}

// A pipe from another process that writes the bytes of the file at `path`.
std::FILE* pipe_from(const std::string& path) {
#ifdef _WIN32
  // Binary, or the runtime would turn CR LF into LF.
  return _popen(("type \"" + path + "\"").c_str(), "rb");
#else
  return popen(("cat " + path).c_str(), "r");
#endif
}

TEST(LineReader, LookingAheadAndHandingBackChangeNothingThatIsRead) {
  std::string data;
  for (int i = 0; data.size() < 300000; ++i)
    data += std::string(static_cast<std::size_t>(i * 53 % 900), static_cast<char>('a' + i % 26)) +
            "\r\n";
  const std::string path = testing::TempDir() + "look_ahead.adi";
  {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"),
                                                        &std::fclose);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), out.get()), data.size());
  }
  // In memory; a regular file, looked into in place; a pipe, kept in memory.
  for (const char* source : {"memory", "file", "pipe"}) {
    SCOPED_TRACE(source);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    if (std::string(source) == "file") file.reset(std::fopen(path.c_str(), "rb"));
    if (std::string(source) == "pipe") file.reset(pipe_from(path));
    if (std::string(source) != "memory") {
      ASSERT_NE(file, nullptr);
    }
    std::unique_ptr<LineReader> reader =
        file ? std::make_unique<LineReader>(file.get())
             : std::make_unique<LineReader>(data.data(), data.size());
    std::vector<std::string> got;
    std::size_t read = 0;
    char line[64];
    for (std::size_t n; (n = reader->read_line(line, sizeof line)) != 0; read += n) {
      got.emplace_back(line, n);
      if (got.size() % 997 == 1) {
        // Near, past the buffer, far past it, and past the end.
        for (uint64_t offset : {0, 5, 70000, 200000, 299990, 400000}) {
          std::string ahead;
          ASSERT_TRUE(reader->look_ahead(offset, 20, ahead));
          EXPECT_EQ(ahead,
                    read + n + offset < data.size() ? data.substr(read + n + offset, 20) : "");
        }
      }
      if (got.size() % 101 == 2 && n > 3) {
        // Handed back, from the buffer or (across a refill) as a copy.
        reader->unread(line + n - 3, 3);
        n -= 3;
        got.back().resize(n);
      }
    }
    EXPECT_FALSE(reader->failed());
    std::string joined;
    for (const std::string& piece : got) joined += piece;
    EXPECT_EQ(joined, data);
  }
  std::remove(path.c_str());
}

TEST(LineReader, NothingIsReadAfterAReadMetTheEndOfTheFile) {
  // A logging program appends to the log after the reader met its end; a C
  // library whose end-of-file is not sticky (clearerr stands for one) would
  // hand the new bytes to the next read, joining them to a cut line.
  const std::string path = testing::TempDir() + "growing.adi";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> writer(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
  ASSERT_NE(writer, nullptr);
  std::fputs("<CALL:5>K1ABC <EOR>\r\n<CALL:5>K9XYZ <BA", writer.get());
  std::fflush(writer.get());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  ASSERT_NE(file, nullptr);
  LineReader reader(file.get());
  EXPECT_EQ(all_lines(reader, 1024),
            (std::vector<std::string>{"<CALL:5>K1ABC <EOR>\r\n", "<CALL:5>K9XYZ <BA"}));

  std::fputs("ND:2>2M <EOR>\r\n", writer.get());
  std::fflush(writer.get());
  std::clearerr(file.get());
  char line[64];
  EXPECT_EQ(reader.peek(), -1);
  EXPECT_EQ(reader.remaining(), 0);
  EXPECT_EQ(reader.read_line(line, sizeof line), 0u);
  EXPECT_FALSE(reader.failed());
  std::remove(path.c_str());
}

TEST(LineReader, ReadErrorEndsTheInputAndIsReported) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> dir(open_folder_for_reading(testing::TempDir()),
                                                      &std::fclose);
  ASSERT_NE(dir, nullptr);
  LineReader reader(dir.get());
  char line[64];
  EXPECT_EQ(reader.read_line(line, sizeof line), 0u);
  EXPECT_TRUE(reader.failed());
}

}  // namespace
