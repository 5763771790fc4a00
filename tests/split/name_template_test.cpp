// The output names of varnel-split's --name and the field lists of its --by:
// what is a usage error, and how a record's values make a name.
#include "split/name_template.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "adif/reader.h"
#include "fake_host.h"
#include "split/split_settings.h"

namespace {

// The first record of `log`, read as the split reads it.
std::unique_ptr<QsoRecord> read_record(AdifReader& reader) {
  std::unique_ptr<QsoRecord> record;
  std::string error;
  char line[1024];
  while (parse_ADIF(reader, record, line, sizeof line, error) == ADIF_LINE_DONE) {
  }
  return record;
}

TEST(NameTemplate, ParsesPlaceholdersAndRefusesWhatNoNameMayHold) {
  struct Case {
    const char* text;
    const char* error;  // "" when the template is good
    bool is_default;
  } cases[] = {
      {"{LOG}_{QTH}.adi", "", true},
      {"{log}_{Qth}.adi", "", true},
      {"{LOG}-{QTH}.adi", "", false},
      {"{LOG}_{QTH}.adif", "", false},
      {"{STATION_CALLSIGN}@{QTH}-{QSO_DATE}.adi", "", false},
      {"{APP_MY_SERVICE_ID}", "", false},
      {"{MY GRID}.adi", "", false},  // a blank inside a name is allowed
      {"plain.adi", "", false},
      {"\xc5\x81\xc3\xb3"
       "d\xc5\xba-{QTH}.adi",
       "", false},
      {"", "the template is empty", false},
      {"out/{QTH}.adi", "a path separator ('/' or '\\') in the template", false},
      {"..\\{QTH}.adi", "a path separator ('/' or '\\') in the template", false},
      {"{QTH}:x.adi", "':' cannot stand in a file name", false},
      {"{QTH}?.adi", "'?' cannot stand in a file name", false},
      {"a\tb{QTH}", "byte 0x09 cannot stand in a file name", false},
      {"Montr\xe9"
       "al{QTH}",
       "byte 0xe9 cannot stand in a file name", false},
      {"{QTH", "a '{' without its '}' in the template", false},
      {"{QTH{CALL}}", "a '{' without its '}' in the template", false},
      {"{QTH}}", "a '}' without its '{' in the template", false},
      {"{}", "{} names no field", false},
      {"{ CALL}", "{ CALL} names no field", false},
      {"{CALL,BAND}", "{CALL,BAND} names no field", false},
      {"{A:B}", "{A:B} names no field", false},
      {"{A<B}", "{A<B} names no field", false},
      {"{\xc3\xa9}", "{\xc3\xa9} names no field", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    NameTemplate parsed;
    const bool ok = parsed.parse(c.text, error);
    EXPECT_EQ(ok, *c.error == '\0');
    EXPECT_EQ(ok ? "" : error, c.error);
    // A refused template leaves the one before it (the default here).
    EXPECT_EQ(parsed.is_default(), ok ? c.is_default : true);
  }
}

TEST(NameTemplate, RendersValuesRawForTheKeyAndSafeForTheFile) {
  struct Case {
    const char* text;
    const char* qth;
    std::string record;
    std::string raw;
    std::string safe;
  } cases[] = {
      {"{LOG}_{QTH}.adi", "FN31/FN32", "<CALL:2>K1 <EOR>", "rover_FN31/FN32.adi",
       "rover_FN31_FN32.adi"},
      {"{CALL}@{QTH}-{QSO_DATE}.adi", "K-0001", "<call:4>N0CL <qso_date:8>20240608 <EOR>",
       "N0CL@K-0001-20240608.adi", "N0CL@K-0001-20240608.adi"},
      // An absent field is empty; a present empty one too.
      {"{CALL}-{MY_SOTA_REF}-{QSO_DATE}.adi", "x", "<CALL:2>K1 <QSO_DATE:0> <EOR>", "K1--.adi",
       "K1--.adi"},
      // Field values are made safe like a QTH; the log's name and text stay.
      {"{LOG}.{CALL}.{QTH}", "..", "<CALL:6>..\\..\\ <EOR>", "rover...\\..\\...",
       "rover..._..____"},
      // Windows drops dots and blanks at a name's end and would open another
      // file; "." and ".." would be folders.
      {"{QTH}", "..", "<EOR>", "..", "__"},
      {"{QTH}", ".", "<EOR>", ".", "_"},
      {"{QTH}{CALL}", "FN31 .", "<CALL:2>  <EOR>", "FN31 .  ", "FN31____"},
      {"x. {QTH}", "", "<EOR>", "x. ", "x__"},
      {"{QTH} {NOTES}", "A*B", "<NOTES:8>\"x\"<y>|z <EOR>", "A*B \"x\"<y>|z", "A_B _x__y__z"},
      {"{QTH}.adi",
       "Montr\xe9"
       "al",
       "<EOR>",
       "Montr\xe9"
       "al.adi",
       "Montr_al.adi"},
      {"{QTH}.adi",
       "\xe2\x80\xae"
       "13NF",
       "<EOR>",
       "\xe2\x80\xae"
       "13NF.adi",
       "_13NF.adi"},
      {"{QTH}{QTH}",
       "\xc5\x81\xc3\xb3"
       "d\xc5\xba",
       "<EOR>",
       "\xc5\x81\xc3\xb3"
       "d\xc5\xba\xc5\x81\xc3\xb3"
       "d\xc5\xba",
       "\xc5\x81\xc3\xb3"
       "d\xc5\xba\xc5\x81\xc3\xb3"
       "d\xc5\xba"},
      // The QTH placeholder is the split's QTH, not the ADIF field QTH.
      {"{QTH}-{qth}", "FN42", "<QTH:6>Boston <EOR>", "FN42-FN42", "FN42-FN42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    NameTemplate name;
    std::string error;
    ASSERT_TRUE(name.parse(c.text, error)) << error;
    AdifReader reader(c.record.data(), c.record.size());
    std::unique_ptr<QsoRecord> record = read_record(reader);
    QsoRecord empty;
    const QsoRecord& fields = record ? *record : empty;
    std::string raw = "leftover";
    name.render_raw("rover", c.qth, fields, raw);
    EXPECT_EQ(raw, c.raw);
    std::string safe = "D:/";
    FakeHost host;
    name.append_safe("rover", c.qth, fields, safe, host);
    EXPECT_EQ(safe, "D:/" + c.safe);
  }
}

TEST(SplitSettings, FieldListsAndTheLineForRecordsLeftOut) {
  struct Case {
    const char* list;
    std::vector<std::string> fields;  // empty: a usage error
    const char* error;
  } cases[] = {
      {"MY_GRIDSQUARE", {"MY_GRIDSQUARE"}, ""},
      {"my_pota_ref", {"MY_POTA_REF"}, ""},
      {" MY_SOTA_REF , my_wwff_ref,APP_X ", {"MY_SOTA_REF", "MY_WWFF_REF", "APP_X"}, ""},
      {"", {}, "an empty field name in \"\""},
      {"A,,B", {}, "an empty field name in \"A,,B\""},
      {"A,", {}, "an empty field name in \"A,\""},
      {"MY:GRID", {}, "\"MY:GRID\" cannot be an ADIF field name"},
      {"A,{B}", {}, "\"{B}\" cannot be an ADIF field name"},
      {"A,<EOR>", {}, "\"<EOR>\" cannot be an ADIF field name"},
      {"N\xc3\xa9", {}, "\"N\xc3\xa9\" cannot be an ADIF field name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    std::vector<std::string> fields{"KEPT"};
    std::string error;
    const bool ok = parse_field_list(c.list, fields, error);
    EXPECT_EQ(ok, !c.fields.empty());
    EXPECT_EQ(fields, ok ? c.fields : std::vector<std::string>{"KEPT"});
    EXPECT_EQ(ok ? "" : error, c.error);
  }
  EXPECT_EQ(left_out_line({"MY_GRIDSQUARE"}, 1), "Left out 1 QSOs without MY_GRIDSQUARE");
  EXPECT_EQ(left_out_line({"APP_N1MM_ROVERQTH", "APP_WRITELOG_MYCTY"}, 2),
            "Left out 2 QSOs without APP_N1MM_ROVERQTH or APP_WRITELOG_MYCTY");
  EXPECT_EQ(left_out_line({"A", "B", "C"}, 3000000000),
            "Left out 3000000000 QSOs without A, B or C");
  // A long list is named whole, past any message buffer.
  const std::vector<std::string> many(8, "APP_SOME_LOGGER_LOCATION");
  const std::string line = left_out_line(many, 4);
  EXPECT_EQ(line.size(), std::string("Left out 4 QSOs without ").size() + 8 * 24 + 6 * 2 + 4);
  EXPECT_EQ(line.substr(line.size() - 28), " or APP_SOME_LOGGER_LOCATION");
}

}  // namespace
