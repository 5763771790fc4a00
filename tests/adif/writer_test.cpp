#include "adif/writer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

TEST(AdifWriter, FieldsComeOutInNameOrderWithoutAppFields) {
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
    EXPECT_EQ(written(record.fields), c.bytes);
  }
}

TEST(AdifWriter, DeclaredLengthIsNotWhatIsWritten) {
  char name[] = "TIME_ON";
  char value[] = "1234";
  AdifField field{name, value, 17, 0, nullptr, nullptr};
  std::string sink;
  OutputStream out(sink);
  write_field(out, field);
  out.write(ADIF_END_OF_RECORD_LINE);
  ASSERT_TRUE(out.close());
  EXPECT_EQ(sink, "<TIME_ON:4>1234 <EOR>\r\n");
}

}  // namespace
