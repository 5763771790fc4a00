#include "adif/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One input in memory read through parse_ADIF with the driver's 1024-byte buffer.
struct Reading {
  explicit Reading(std::string text) : input(std::move(text)), reader(input.data(), input.size()) {}
  AdifStatus next() { return parse_ADIF(reader, record, line, sizeof line, error); }

  // The record's fields in tree order as "NAME=value|", or "null" without a record.
  std::string fields() const {
    if (!record) return "null";
    std::string out;
    dump(record->fields, out);
    return out;
  }
  static void dump(const AdifField* t, std::string& out) {
    if (!t) return;
    dump(t->left, out);
    out += std::string(t->name) + "=" + t->value + "|";
    dump(t->right, out);
  }

  std::string input;
  AdifReader reader;
  std::unique_ptr<QsoRecord> record;
  char line[1024] = {};
  std::string error;
  AdifStatus status = ADIF_LINE_DONE;
};

TEST(AdifReader, OneCallReadsTheTagsOfOneLine) {
  struct Case {
    std::string input;
    AdifStatus status;
    std::string fields;
  } cases[] = {
      {"<CALL:6>N0CALL <BAND:3>20M <EOR>\r\n", ADIF_END_OF_RECORD, "BAND=20M|CALL=N0CALL|"},
      {"<call:6:S>N0CALL\r\n", ADIF_LINE_DONE, "CALL=N0CALL|"},
      {"<Qso_Date:8:D>20240101<my_grid:4>fn31\n", ADIF_LINE_DONE,
       "MY_GRID=fn31|QSO_DATE=20240101|"},
      {"<n\xe9z:1>x\r\n", ADIF_LINE_DONE, "N\xe9Z=x|"},
      {"<eor>\r\n", ADIF_END_OF_RECORD, "null"},
      {"<Eor>\r\n", ADIF_END_OF_RECORD, "null"},
      {"<eoh>\r\n", ADIF_END_OF_HEADER, "null"},
      {"<EOR:0>\r\n", ADIF_LINE_DONE, "EOR=|"},
      {"<EOR:-1>\r\n", ADIF_END_OF_RECORD, "null"},
      {"<APP_X:-2> <XYZ> <> text\r\n", ADIF_LINE_DONE, "null"},
      {"<:3>abc\r\n", ADIF_LINE_DONE, "=abc|"},
      {"<CALL: 6>N0CALL\r\n", ADIF_LINE_DONE, "CALL=N0CALL|"},
      {"<CALL:+6>N0CALL<BAND:3x:S>20M\r\n", ADIF_LINE_DONE, "BAND=20M|CALL=N0CALL|"},
      {"<COMMENT:5>x<y>z<EOR>\r\n", ADIF_END_OF_RECORD, "COMMENT=x<y>z|"},
      {"<NOTES:6>a>b\r\nc<EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=a>b\r\nc|"},
      {"<CALL:0><BAND:3>20M\r\n", ADIF_LINE_DONE, "BAND=20M|CALL=|"},
      {"<NOTES:7>abc\r\nde<EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=abc\r\nde|"},
      {"<NOTES:11>a\r\n\r\nb\r\n\r\nc<EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=a\r\n\r\nb\r\n\r\nc|"},
      // Continuation lines may fill the buffer: they are never taken as truncated.
      {"<NOTES:1500>\r\n" + std::string(1498, 'n') + "<EOR>\r\n", ADIF_END_OF_RECORD,
       "NOTES=\r\n" + std::string(1498, 'n') + "|"},
      {"<CALL:6>N0CALL\r\n", ADIF_LINE_DONE, "CALL=N0CALL|"},
      {"<CALL:7>N0CALL\r\n", ADIF_LINE_DONE, "CALL=N0CALL\r|"},
      {"\r\n", ADIF_LINE_DONE, "null"},
      {"ADIF export from a logger\r\n", ADIF_LINE_DONE, "null"},
      {"<EOR><CALL:6>N0CALL\r\n", ADIF_END_OF_RECORD, "null"},
      {"<CALL:6>N0CALL\r<BAND:3>20M\r", ADIF_LINE_DONE, "CALL=N0CALL|"},  // a lone CR ends the line
      {"<ADIF_VER:5>3.1.0 <EOH>\r\n", ADIF_END_OF_HEADER, "ADIF_VER=3.1.0|"},
      {"", ADIF_END_OF_FILE, "null"},
      // The last line needs no line end when it is shorter than the buffer.
      {"<CALL:6>N0CALL <EOR>", ADIF_END_OF_RECORD, "CALL=N0CALL|"},
      {"<CALL:6>N0CALL", ADIF_LINE_DONE, "CALL=N0CALL|"},
      // Unfinished tags at the end of the text end the line quietly.
      {"<CALL", ADIF_LINE_DONE, "null"},
      {"<CALL:5", ADIF_LINE_DONE, "null"},
      {"<BAND:3>20M <CALL:5\r\n", ADIF_LINE_DONE, "BAND=20M|"},
      {"<BAND:3>20M <CALL\r\n", ADIF_LINE_DONE, "BAND=20M|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Reading r(c.input);
    EXPECT_EQ(r.next(), c.status);
    EXPECT_EQ(r.fields(), c.fields);
    EXPECT_EQ(r.error, "");
  }
}

TEST(AdifReader, ValuesEndWhereTheirWriterMeantThem) {
  const std::string value_end_broken = "Value does not end where its length says: ";
  struct Case {
    std::string input;
    AdifStatus status;
    std::string fields;
    std::string error;
  } cases[] = {
      // Lengths counted in UTF-8 characters.
      {"<NAME:4>J\xC3\xB6rg <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=J\xC3\xB6rg|", ""},
      {"<QTH:9>S\xC3\xA3o Paulo<EOR>\r\n", ADIF_END_OF_RECORD, "QTH=S\xC3\xA3o Paulo|", ""},
      {"<NAME:4>J\xC3\xB6rg\r\n", ADIF_LINE_DONE, "NAME=J\xC3\xB6rg|", ""},
      {"<NAME:4>J\xC3\xB6rg", ADIF_LINE_DONE, "NAME=J\xC3\xB6rg|", ""},
      {"<N:2>\xE2\x82\xAC\xF0\x9F\x93\xA1 <EOR>\r\n", ADIF_END_OF_RECORD,
       "N=\xE2\x82\xAC\xF0\x9F\x93\xA1|", ""},
      // Counted in bytes, as the standard has it: never touched.
      {"<NAME:5>J\xC3\xB6rg <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=J\xC3\xB6rg|", ""},
      {"<NAME:4>J\xF6rg <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=J\xF6rg|", ""},
      // A length that runs into the next tag ends before it and the blanks in front.
      {"<STATION_CALLSIGN:11>N0CALL/P <CALL:5>K1ABC<EOR>\r\n", ADIF_END_OF_RECORD,
       "CALL=K1ABC|STATION_CALLSIGN=N0CALL/P|", ""},
      {"<CALL:6>K1ABC<EOR>\r\n", ADIF_END_OF_RECORD, "CALL=K1ABC|", ""},
      {"<NOTES:10>ab\ncd\nef<CALL:2>K1 <EOR>\n", ADIF_END_OF_RECORD, "CALL=K1|NOTES=ab\ncd\nef|",
       ""},
      {"<COMMENT:12>hi there\r\n<EOR>\r\n", ADIF_END_OF_RECORD, "COMMENT=hi there|", ""},
      {"<C:9>a<x y> <EOR:1:N>y\r\n", ADIF_LINE_DONE, "C=a<x y>|EOR=y|", ""},
      {"<C:9> <x> <EOR:1:N>y\r\n", ADIF_LINE_DONE, "C=|EOR=y|", ""},
      // Neither reading fits: the declared length stands, and the user is told.
      {"<CALL:3>K1ABC <EOR>\r\n", ADIF_END_OF_RECORD, "CALL=K1A|", value_end_broken + "<CALL:3>"},
      {"<CALL:abc>N0CALL\r\n", ADIF_LINE_DONE, "CALL=|", value_end_broken + "<CALL:0>"},
      {"<NAME:3>J\xC3\x28rg <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=J\xC3(|",
       value_end_broken + "<NAME:3>"},
      {"<X:2>\xC0\xAF"
       "ab <EOR>\r\n",
       ADIF_END_OF_RECORD, "X=\xC0\xAF|", value_end_broken + "<X:2>"},
      {"<N:3>\xC3\xA9\xC3\xA9< x\r\n", ADIF_LINE_DONE, "N=\xC3\xA9\xC3|",
       value_end_broken + "<N:3>"},
      {"<N:2>ab<c d>\r\n", ADIF_LINE_DONE, "N=ab|", ""},
      {"<N:3>ab<c d>\r\n", ADIF_LINE_DONE, "N=ab<|", value_end_broken + "<N:3>"},
      // A value that ends with its line is settled by the next line's first
      // byte; any other byte brings that line in, and the rules read on.
      {"<NOTES:5>abc\r\n<EOR>\r\n", ADIF_LINE_DONE, "NOTES=abc\r\n|", ""},
      {"<NOTES:5>abc\r\ndef <EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=abc\r\n|",
       value_end_broken + "<NOTES:5>"},
      {"<NOTES:5>\xC3\xA9\r\nab <EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=\xC3\xA9\r\nab|", ""},
      // The duplicate message keeps the declared length; the latest problem is told.
      {"<NAME:2>ab <NAME:4>J\xC3\xB6rg <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=ab|",
       "Duplicate field: <NAME:4>J\xC3\xB6rg"},
      {"<CALL:3>K1ABC <BAND:2>2M <BAND:2>6M <EOR>\r\n", ADIF_END_OF_RECORD, "BAND=2M|CALL=K1A|",
       "Duplicate field: <BAND:2>6M"},
      {"<BAND:2>2M <BAND:2>6M <CALL:3>K1ABC <EOR>\r\n", ADIF_END_OF_RECORD, "BAND=2M|CALL=K1A|",
       value_end_broken + "<CALL:3>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Reading r(c.input);
    EXPECT_EQ(r.next(), c.status);
    EXPECT_EQ(r.fields(), c.fields);
    EXPECT_EQ(r.error, c.error);
  }
}

TEST(AdifReader, StoredFieldsKeepTheirDeclaredLengthAndShortcuts) {
  Reading r("<CALL:6>N0CALL <BAND:3>20M <NOTES:7>abc\r\nde<EOR>\r\n");
  ASSERT_EQ(r.next(), ADIF_END_OF_RECORD);
  ASSERT_NE(r.record, nullptr);
  ASSERT_NE(r.record->call, nullptr);
  ASSERT_NE(r.record->band, nullptr);
  EXPECT_STREQ(r.record->call->value, "N0CALL");
  EXPECT_EQ(r.record->call->length, 6);
  EXPECT_STREQ(r.record->band->value, "20M");
  EXPECT_EQ(r.record->mode, nullptr);
  EXPECT_EQ(find_field(r.record->fields, "NOTES")->length, 7);
}

TEST(AdifReader, RecordCollectsFieldsAcrossCallsUntilEndOfRecord) {
  Reading r(
      "<ADIF_VER:5>3.1.0\r\n<EOH>\r\n<CALL:6>N0CALL\r\n<BAND:3>20M\r\n<EOR><MODE:2>CW\r\n<EOR>"
      "\r\n");
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);
  EXPECT_EQ(r.next(), ADIF_END_OF_HEADER);
  EXPECT_EQ(r.fields(), "ADIF_VER=3.1.0|");  // the caller throws header fields away
  r.record.reset();
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);
  EXPECT_EQ(r.next(), ADIF_END_OF_RECORD);
  EXPECT_EQ(r.fields(), "BAND=20M|CALL=N0CALL|");
  r.record.reset();
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);  // MODE after the EOR on its line comes next
  EXPECT_EQ(r.fields(), "MODE=CW|");
  EXPECT_EQ(r.next(), ADIF_END_OF_RECORD);
  EXPECT_EQ(r.next(), ADIF_END_OF_FILE);
  EXPECT_EQ(r.next(), ADIF_END_OF_FILE);
}

TEST(AdifReader, DuplicateFieldSetsTheErrorAndReadingGoesOn) {
  Reading r("<CALL:6>N0CALL <CALL:5>K1ABC <BAND:3>20M <EOR>\r\n");
  EXPECT_EQ(r.next(), ADIF_END_OF_RECORD);
  EXPECT_EQ(r.fields(), "BAND=20M|CALL=N0CALL|");
  EXPECT_STREQ(r.record->call->value, "K1ABC");
  EXPECT_EQ(r.error, "Duplicate field: <CALL:5>K1ABC");
}

TEST(AdifReader, LinesWithoutLineEndWithinTheBufferAreTruncated) {
  const std::string full(1023, 'x');
  const std::string tag = "<CALL:6>N0CALL ";
  struct Case {
    std::string input;
    std::string shown;  // the line text in the error message
  } cases[] = {
      {full + "\r\n", full},
      {tag + std::string(1023 - tag.size(), 'y') + "\r\n<EOR>\r\n",
       tag + std::string(1023 - tag.size(), 'y')},
      {"<EOR>" + std::string(1018, ' '),
       "<EOR>" + std::string(1018, ' ')},  // last line filling the buffer
      {std::string("<CALL:6>N0CALL\0 <EOR>\r\n", 23), "<CALL:6>N0CALL"},  // NUL before the line end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown.substr(0, 20));
    Reading r(c.input);
    r.error = "earlier problem";
    EXPECT_EQ(r.next(), ADIF_TRUNCATED_LINE);
    EXPECT_EQ(r.error, "ERROR: Truncated input line: " + c.shown);
    EXPECT_EQ(r.record, nullptr);
  }
}

TEST(AdifReader, LineOneByteShortOfTheBufferIsReadWithoutItsLineFeed) {
  const std::string tag = "<CALL:6>N0CALL";
  Reading r(tag + std::string(1022 - tag.size(), ' ') + "\r\n<EOR>\r\n");
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);
  EXPECT_EQ(r.fields(), "CALL=N0CALL|");
  EXPECT_EQ(r.next(), ADIF_LINE_DONE);  // the lone LF
  EXPECT_EQ(r.next(), ADIF_END_OF_RECORD);

  Reading last("<EOR>" + std::string(1017, ' '));  // 1022 bytes, no line end
  EXPECT_EQ(last.next(), ADIF_END_OF_RECORD);
  EXPECT_EQ(last.error, "");
}

TEST(AdifReader, RecordsOfChangingNamesComeOutInNameOrder) {
  // New names sort between known ones, records repeat earlier names in
  // other orders, and a log of more distinct names than the reader keeps
  // track of (1024) must still be read field for field.
  std::string input;
  std::vector<std::string> expected;
  for (int i = 0; i < 1100; ++i) {
    const std::string unique = "N" + std::to_string(100000 + (i * 7919) % 100000);
    input += "<MODE:2>CW <" + unique + ":1>x <call:2>K" + std::to_string(i % 10) + " <" + unique +
             ":1>y <BAND:2>2M <EOR>\r\n";
    expected.push_back("BAND=2M|CALL=K" + std::to_string(i % 10) + "|MODE=CW|" + unique + "=x|");
  }
  Reading r(input);
  for (const std::string& fields : expected) {
    r.record.reset();
    ASSERT_EQ(r.next(), ADIF_END_OF_RECORD);
    ASSERT_EQ(r.fields(), fields);
    ASSERT_EQ(r.error, "Duplicate field: <" +
                           fields.substr(fields.rfind('|', fields.size() - 2) + 1, 7) + ":1>y");
  }
  EXPECT_EQ(r.next(), ADIF_END_OF_FILE);
}

TEST(AdifReader, TextAfterAnEndTagIsReadByTheNextCall) {
  struct Case {
    std::string input;
    std::vector<AdifStatus> statuses;
    std::string last_fields;  // the record after the last status
  } cases[] = {
      {"<CALL:2>K1 <EOR> <CALL:2>K2 <EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "CALL=K2|"},
      {"<ADIF_VER:5>3.1.4 <EOH><CALL:2>K1 <EOR>\r\n",
       {ADIF_END_OF_HEADER, ADIF_END_OF_RECORD},
       "CALL=K1|"},
      // The EOR on the last line of a value that ran over several lines.
      {"<NOTES:7>abc\r\nde<EOR><CALL:2>K2\r\n<EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_LINE_DONE, ADIF_END_OF_RECORD},
       "CALL=K2|"},
      // A remainder is part of a line already accepted: the buffer limit does not apply to it.
      {"<EOR>" + std::string(1000, ' ') + "<CALL:2>K2<EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "CALL=K2|"},
      {"<EOR>\r\n<CALL:2>K2\r\n",
       {ADIF_END_OF_RECORD, ADIF_LINE_DONE, ADIF_END_OF_FILE},
       "CALL=K2|"},
      // The reader expects the previous record's names: a longer or shorter
      // name, another case, or the name without a length, is read as written.
      {"<CALL:2>K1 <BAND:2>2M <EOR>\r\n<CALLSIGN:2>K2 <BAND:2>6M <EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "BAND=6M|CALLSIGN=K2|"},
      {"<CALLSIGN:2>K1 <BAND:2>2M <EOR>\r\n<CALL:2>K2 <BANDS:2>6M <EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "BANDS=6M|CALL=K2|"},
      {"<CALL:2>K1 <BAND:2>2M <EOR>\r\n<call:2>K2 <Band:2>6M <EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "BAND=6M|CALL=K2|"},
      {"<CALL:2>K1 <BAND:2>2M <EOR>\r\n<CALL>K2 <BAND:2>6M <EOR>\r\n",
       {ADIF_END_OF_RECORD, ADIF_END_OF_RECORD},
       "BAND=6M|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 40));
    Reading r(c.input);
    for (AdifStatus expected : c.statuses) {
      // The caller starts a new record after each end tag, as the driver does.
      if (r.record && r.status != ADIF_LINE_DONE) r.record.reset();
      r.status = r.next();
      EXPECT_EQ(r.status, expected);
    }
    EXPECT_EQ(r.fields(), c.last_fields);
    EXPECT_EQ(r.error, "");
  }
}

TEST(AdifReader, ValueCutOffByTheEndOfTheInputIsDroppedAndReported) {
  std::string tail;  // 20 MB of continuation lines
  for (int i = 0; i < 200000; ++i) tail += std::string(98, 'n') + "\r\n";
  struct Case {
    std::string input;
    std::string fields;
    std::string error;
  } cases[] = {
      {"<CALL:6>N0CALL <NOTES:50>abc\r\nmore\r\n", "CALL=N0CALL|",
       "ERROR: Input ended inside the value of <NOTES:50>"},
      {"<notes:50:M>abc\r\nmore\r\n", "null", "ERROR: Input ended inside the value of <NOTES:50>"},
      {"<CALL:6>N0", "null", "ERROR: Input ended inside the value of <CALL:6>"},
      {"<CALL:6>N0CALL <NOTES:99999999999>start\r\n" + tail, "CALL=N0CALL|",
       "ERROR: Input ended inside the value of <NOTES:2147483647>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 40));
    Reading r(c.input);
    EXPECT_EQ(r.next(), ADIF_END_OF_FILE);
    EXPECT_EQ(r.fields(), c.fields);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.next(), ADIF_END_OF_FILE);
    EXPECT_FALSE(r.reader.failed());
  }
}

}  // namespace
