#include "adif/writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adif/reader.h"

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// Adds the fields in the given order, each declared with its value's byte count.
void fill(QsoRecord& record, const Fields& fields, std::string& error) {
  for (const auto& [name, value] : fields)
    add_field(record, record.storage.copy(name.data(), name.size()),
              record.storage.copy(value.data(), value.size()), static_cast<int32_t>(value.size()),
              error);
}

std::string written(const AdifField* root) {
  std::string sink;
  OutputStream out(sink);
  write_fields(out, root);
  EXPECT_TRUE(out.close());
  return sink;
}

// Every record of `input`, read with the reader, written with `write` and
// followed by the end-of-record line, as the driver writes it.
template <class Write>
std::string read_and_written(const std::string& input, Write write) {
  AdifReader reader(input.data(), input.size());
  std::unique_ptr<QsoRecord> record;
  char line[1024];
  std::string error;
  std::string sink;
  OutputStream out(sink);
  for (AdifStatus status;
       (status = parse_ADIF(reader, record, line, sizeof line, error)) != ADIF_END_OF_FILE;) {
    if (status != ADIF_END_OF_RECORD) continue;
    EXPECT_TRUE(record && record->exact_texts);
    if (record) write(out, *record);
    out.write(kAdifEndOfRecordLine, 7);
    reader.release(record);
  }
  EXPECT_TRUE(out.close());
  return sink;
}

// Names that sort in the order they are made: AA, AB, ... AZ, BA, ...
std::string two_letters(int i) {
  return {static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26)};
}

TEST(AdifWriter, BothWritersGiveTheOutputFormOfWhatTheReaderRead) {
  // 129 fields on one line, in descending name order, and a duplicate of the
  // first after them: more fields than the tree builder sorts in one pass.
  std::string many_in, many_out;
  for (int i = 128; i >= 0; --i)
    many_in += "<" + two_letters(i) + ":1>" + static_cast<char>('a' + i % 26);
  for (int i = 0; i <= 128; ++i)
    many_out += "<" + two_letters(i) + ":1>" + static_cast<char>('a' + i % 26) + " ";
  const std::string name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789ABC";
  const std::string name32 = "MY_VERY_LONG_APPLICATION_FIELD_X";
  struct Case {
    std::string input;
    std::string bytes;
  } cases[] = {
      {"<CALL:6>N0CALL <MODE:2>CW <APP_N1MM_ROVERQTH:4>HOME <BAND:3>20M <EOR>\r\n",
       "<BAND:3>20M <CALL:6>N0CALL <MODE:2>CW <EOR>\r\n"},
      {"<MY_APP_X:1>c <APP_:1>x <APPLE:1>b <APP:1>a <APP_WRITELOG_MYCTY:2>ME <EOR>\r\n",
       "<APP:1>a <APPLE:1>b <MY_APP_X:1>c <EOR>\r\n"},
      {"<APP_N1MM_ROVERQTH:4>HOME <APP_X:1>1 <EOR>\r\n", "<EOR>\r\n"},
      {"<CALL:0> <EOR>\r\n", "<CALL:0> <EOR>\r\n"},
      {"<NOTES:7>abc\r\nde <CALL:6>N0CALL <EOR>\r\n",
       "<CALL:6>N0CALL <NOTES:7>abc\r\nde <EOR>\r\n"},
      {"<COMMENT:6>x<y>z  <EOR>\r\n", "<COMMENT:6>x<y>z  <EOR>\r\n"},
      // The tree keeps the first of two fields of one name; the second is never written.
      {"<CALL:6>N0CALL <CALL:5>K1ABC <EOR>\r\n", "<CALL:6>N0CALL <EOR>\r\n"},
      {"<NOTES:40002>\r\n" + std::string(40000, 'n') + " <EOR>\r\n",
       "<NOTES:40002>\r\n" + std::string(40000, 'n') + " <EOR>\r\n"},
      {many_in + "<AA:1>z <EOR>\r\n", many_out + "<EOR>\r\n"},
      // Names of 40 and 32 bytes, the second record's taken as the names expected.
      {"<" + name40 + ":3>abc <" + name32 + ":1>d <EOR>\r\n<" + name40 + ":2>ef <" + name32 +
           ":0> <EOR>\r\n",
       "<" + name40 + ":3>abc <" + name32 + ":1>d <EOR>\r\n<" + name40 + ":2>ef <" + name32 +
           ":0> <EOR>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 60));
    EXPECT_EQ(read_and_written(c.input, [](OutputStream& out,
                                           const QsoRecord& r) { write_fields(out, r.fields); }),
              c.bytes);
    EXPECT_EQ(read_and_written(c.input, [](OutputStream& out,
                                           const QsoRecord& r) { write_record_fields(out, r); }),
              c.bytes);
  }
}

TEST(AdifWriter, FieldsAddedOneByOneAreWrittenAsHeld) {
  struct Case {
    Fields fields;
    std::string bytes;
  } cases[] = {
      {{{"CALL", "N0CALL"}, {"MODE", "CW"}, {"APP_N1MM_ROVERQTH", "HOME"}, {"BAND", "20M"}},
       "<BAND:3>20M <CALL:6>N0CALL <MODE:2>CW "},
      {{{"MY_APP_X", "c"},
        {"APP_", "x"},
        {"APPLE", "b"},
        {"APP", "a"},
        {"APP_WRITELOG_MYCTY", "ME"}},
       "<APP:1>a <APPLE:1>b <MY_APP_X:1>c "},
      {{{"APP_N1MM_ROVERQTH", "HOME"}, {"APP_X", "1"}}, ""},
      {{}, ""},
      {{{"CALL", ""}}, "<CALL:0> "},
      {{{"NOTES", "abc\r\nde"}, {"CALL", "N0CALL"}}, "<CALL:6>N0CALL <NOTES:7>abc\r\nde "},
      {{{"COMMENT", "x<y>z "}}, "<COMMENT:6>x<y>z  "},
      // The length written is the value's byte count up to a NUL, not the declared one.
      {{{"CALL", std::string("N0\0CALL", 7)}}, "<CALL:2>N0 "},
      // The tree keeps the first of two fields of one name; the second is never written.
      {{{"CALL", "N0CALL"}, {"CALL", "K1ABC"}}, "<CALL:6>N0CALL "},
      {{{"NOTES", std::string(40000, 'n')}}, "<NOTES:40000>" + std::string(40000, 'n') + " "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    QsoRecord record;
    std::string error;
    fill(record, c.fields, error);
    EXPECT_FALSE(record.exact_texts);
    EXPECT_EQ(written(record.fields), c.bytes);
    std::string sink;
    OutputStream out(sink);
    write_record_fields(out, record);
    EXPECT_TRUE(out.close());
    EXPECT_EQ(sink, c.bytes);
  }
}

TEST(AdifWriter, DeclaredLengthIsNotWhatIsWritten) {
  char name[] = "TIME_ON";
  char value[] = "1234";
  AdifField field{name, value, 17, 0, nullptr, nullptr, 17};
  std::string sink;
  OutputStream out(sink);
  write_field(out, field);
  out.write(kAdifEndOfRecordLine, 7);
  ASSERT_TRUE(out.close());
  EXPECT_EQ(sink, "<TIME_ON:4>1234 <EOR>\r\n");
}

}  // namespace

// Counts the pieces a stream writes and keeps their bytes.
class PieceSink : public OutputSink {
 public:
  explicit PieceSink(std::string& bytes, int& pieces) : bytes_(bytes), pieces_(pieces) {}
  bool write(const char* bytes, std::size_t count) override {
    bytes_.append(bytes, count);
    pieces_ += 1;
    return true;
  }
  bool close() override { return true; }
  bool reopen() override { return true; }

 private:
  std::string& bytes_;
  int& pieces_;
};

// A small buffer grows to the full size the first time it fills, while the
// split's room for growth lasts; either way every byte arrives in order.
TEST(OutputStream, SmallBuffersGrowWhileThereIsRoom) {
  const std::size_t big = OutputStream::kBufferSize;
  const struct {
    std::size_t room;
    int first_pieces;   // 100,000 bytes through a 4,096-byte buffer
    int second_pieces;  // then as much through a second stream sharing the room
    std::size_t room_left;
  } rows[] = {
      {0, 25, 25, 0},
      {big - 4096 - 1, 25, 25, big - 4096 - 1},
      {big - 4096, 4, 25, 0},       // 4,096, two of 32,768 and the rest
      {2 * (big - 4096), 4, 4, 0},  // room for both
      {2 * (big - 4096) + 7, 4, 4, 7},
  };
  std::string text;
  for (int i = 0; i < 100000; ++i) text.push_back(static_cast<char>('a' + i % 26));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.room);
    std::size_t room = row.room;
    for (int pieces_wanted : {row.first_pieces, row.second_pieces}) {
      std::string bytes;
      int pieces = 0;
      OutputStream out(std::make_unique<PieceSink>(bytes, pieces), 4096, &room);
      for (std::size_t at = 0; at < text.size(); at += 1000) out.write(text.data() + at, 1000);
      ASSERT_TRUE(out.close());
      EXPECT_EQ(bytes, text);
      EXPECT_EQ(pieces, pieces_wanted);
    }
    EXPECT_EQ(room, row.room_left);
  }
}
