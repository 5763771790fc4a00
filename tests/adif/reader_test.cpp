#include "adif/reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One input in memory read through parse_ADIF with the driver's 1024-byte buffer.
struct Reading {
  explicit Reading(std::string text) : input(std::move(text)), reader(input.data(), input.size()) {}
  AdifStatus next() { return parse_ADIF(reader, record, line, sizeof line, error); }
  // With a line buffer of `size` bytes (at most 1024).
  AdifStatus nextWith(std::size_t size) { return parse_ADIF(reader, record, line, size, error); }

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
      {"<C:9> <x> <EOR:1:N>y\r\n", ADIF_LINE_DONE, "C= <x>|EOR=y|", ""},
      {"<NAME:6>John<QTH:3>Ely <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=John|QTH=Ely|", ""},
      {"<NAME:14>John <QTH:3>Ely <EOR>\r\n", ADIF_END_OF_RECORD, "NAME=John|QTH=Ely|", ""},
      {"<NOTES:7>a\nb\nc <EOR>\n", ADIF_END_OF_RECORD, "NOTES=a\nb\nc|", ""},  // CR LF made LF
      {"<NOTES:40>ab <BAND:3>20M <MODE:2>CW <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n", ADIF_END_OF_RECORD,
       "APP_N1MM_ROVERQTH=ME|BAND=20M|MODE=CW|NOTES=ab|", ""},
      // Only record tags count, and the declared end must fall inside the
      // last one before it: a right length followed by stray text stands.
      {"<COMMENT:10><see:3>abc, <EOR>\r\n", ADIF_END_OF_RECORD, "COMMENT=<see:3>abc|",
       value_end_broken + "<COMMENT:10>"},
      {"<COMMENT:5>x<y>z, <EOR>\r\n", ADIF_END_OF_RECORD, "COMMENT=x<y>z|",
       value_end_broken + "<COMMENT:5>"},
      {"<NOTES:18><b>bold</b> text\r\nSent by JS8 <EOR>\r\n", ADIF_END_OF_RECORD,
       "NOTES=<b>bold</b> text\r\n|", value_end_broken + "<NOTES:18>"},
      {"<N:12>ab <C:1>x <D:2>yz <EOR>\r\n", ADIF_END_OF_RECORD, "C=x|D=yz|N=ab|", ""},
      {"<N:10>ab <C:1>xyz <EOR>\r\n", ADIF_END_OF_RECORD, "N=ab <C:1>xy|",
       value_end_broken + "<N:10>"},
      {"<N:20>ab <C:15>x <D:1>y zzzz <EOR>\r\n", ADIF_END_OF_RECORD, "N=ab <C:15>x <D:1>y zz|",
       value_end_broken + "<N:20>"},
      // ...and begin at most 256 bytes before it.
      {"<N:258>a <C:400>" + std::string(400, 'x') + " <EOR>\r\n", ADIF_END_OF_RECORD,
       "C=" + std::string(400, 'x') + "|N=a|", ""},
      {"<N:259>a <C:400>" + std::string(400, 'x') + " <EOR>\r\n", ADIF_END_OF_RECORD,
       "N=a <C:400>" + std::string(250, 'x') + "|", value_end_broken + "<N:259>"},
      // A value that holds <EOR> swallowed records: kept as read, and told.
      {"<NOTES:9>x <eor> y <EOR>\r\n", ADIF_END_OF_RECORD, "NOTES=x <eor> y|",
       "Value holds an <EOR> tag: <NOTES:9>"},
      {"<N:9>a <EOR> xy <EOR>\r\n", ADIF_END_OF_RECORD, "N=a <EOR> x|",
       "Value holds an <EOR> tag: <N:9>"},
      {"<N:30>a <CALL:2>K1 <EOR>\r\n<CALL:2>K2 <EOR>\r\n", ADIF_END_OF_RECORD,
       "N=a <CALL:2>K1 <EOR>\r\n<CALL:2>K2|", "Value holds an <EOR> tag: <N:30>"},
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

TEST(AdifReader, NulByteTruncatesItsLine) {
  const auto with_nul = [](const std::string& before, const std::string& after) {
    return before + '\0' + after;
  };
  struct Case {
    std::string input;
    std::string shown;   // the line text in the error message
    std::string fields;  // what the record holds by then
  } cases[] = {
      {with_nul("<CALL:6>N0CALL", " <EOR>\r\n"), "<CALL:6>N0CALL", "null"},
      {with_nul(std::string(1500, 'x'), "<EOR>\r\n"), std::string(477, 'x'), "null"},
      // In a line a value goes on into: the value is dropped, not cut short.
      {with_nul("<CALL:2>K1 <NOTES:9>ab\r\ncd", "ef <EOR>\r\n"), "cd", "CALL=K1|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown.substr(0, 20));
    Reading r(c.input);
    r.error = "earlier problem";
    AdifStatus status;
    while ((status = r.next()) == ADIF_LINE_DONE) {
    }
    EXPECT_EQ(status, ADIF_TRUNCATED_LINE);
    EXPECT_EQ(r.error, "ERROR: Truncated input line: " + c.shown);
    EXPECT_EQ(r.fields(), c.fields);
  }
}

TEST(AdifReader, LinesOfAnyLengthAreReadPieceByPiece) {
  // Records on one long line, shifted byte by byte so that the ends of the
  // line buffer's pieces fall into every tag, length and value, and onto
  // values whose ends need the rules.
  const std::string records =
      "<CALL:5>K1ABC <NAME:4>J\xC3\xB6rg <NOTES:8>a\r\nb <c> <EOR> "
      "<STATION_CALLSIGN:11>N0CALL/P <CALL:5>W9XYZ <Qso_Date:8:D>20240608 <EOR>"
      "<COMMENT:" +
      std::to_string(1060) + ">" + std::string(1060, 'c') +
      " <call:2>K2 <eor>"
      "<CALL:6>N0CALL<EOR>";
  const std::vector<std::string> expected = {
      "CALL=K1ABC|NAME=J\xC3\xB6rg|NOTES=a\r\nb <c>|",
      "CALL=W9XYZ|QSO_DATE=20240608|STATION_CALLSIGN=N0CALL/P|",
      "CALL=K2|COMMENT=" + std::string(1060, 'c') + "|",
      "CALL=N0CALL|",
  };
  for (std::size_t size : {std::size_t{1024}, std::size_t{16}, std::size_t{5}}) {
    for (std::size_t shift = 0; shift < 24; ++shift) {
      SCOPED_TRACE("buffer " + std::to_string(size) + ", shift " + std::to_string(shift));
      Reading r(std::string(shift, ' ') + records + "\r\n");
      std::vector<std::string> got;
      for (AdifStatus status; (status = r.nextWith(size)) != ADIF_END_OF_FILE;) {
        ASSERT_NE(status, ADIF_TRUNCATED_LINE);
        if (status != ADIF_END_OF_RECORD) continue;
        got.push_back(r.fields());
        r.record.reset();
      }
      EXPECT_EQ(got, expected);
      EXPECT_EQ(r.error, "");
    }
  }
}

TEST(AdifReader, MemoryStaysWithTheRecordWhateverALengthClaims) {
  // A flipped digit makes one value's length run far into the log, its end
  // inside a tag of a later record: the value gives back what follows, and
  // no record holds more than its own line, however many follow.
  const std::string qso = "<CALL:5>K1ABC <BAND:3>20M <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n";
  std::string tail;
  for (int i = 0; i < 20000; ++i) tail += qso;
  const std::string head = "<CALL:4>K1XX <NOTES:";
  const std::string after_length = ">hello <APP_N1MM_ROVERQTH:4>FN42 <EOR>\r\n";
  // The declared end falls on the 'A' of a CALL tag some 600 kB on.
  const std::size_t target = tail.size() / 2 + tail.substr(tail.size() / 2).find("<CALL:") + 2;
  const std::string digits = std::to_string(after_length.size() - 1 + target);
  const std::string log = head + digits + after_length + tail;
  ASSERT_EQ(log.substr(head.size() + digits.size() + 1 + std::stoul(digits), 4), "ALL:");

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(log.data(), 1, log.size(), file.get()), log.size());
  for (bool from_file : {false, true}) {
    SCOPED_TRACE(from_file ? "file" : "memory");
    std::rewind(file.get());
    AdifReader reader = from_file ? AdifReader(file.get()) : AdifReader(log.data(), log.size());
    std::unique_ptr<QsoRecord> record;
    char line[1024];
    std::string error;
    std::size_t records = 0, largest = 0;
    for (AdifStatus status;
         (status = parse_ADIF(reader, record, line, sizeof line, error)) != ADIF_END_OF_FILE;) {
      if (status != ADIF_END_OF_RECORD) continue;
      ASSERT_NE(record, nullptr);
      largest = std::max(largest, record->storage.allocated());
      if (records++ == 0) {
        EXPECT_STREQ(find_field(record->fields, "NOTES")->value, "hello");
      }
      reader.release(record);
    }
    EXPECT_EQ(records, 20001u);
    EXPECT_EQ(largest, 0u);  // every record fits its storage's own first block
    EXPECT_EQ(error, "");
  }
}

TEST(AdifReader, ATagStillOpenAfter64KiBIsNone) {
  // Its name would run on into the next tag; no writer makes such a tag,
  // and the reader does not hold one to its end.
  Reading r("<" + std::string(70000, 'A') + "<CALL:2>K1 <EOR>\r\n");
  AdifStatus status;
  while ((status = r.next()) == ADIF_LINE_DONE) {
  }
  EXPECT_EQ(status, ADIF_END_OF_RECORD);
  EXPECT_EQ(r.fields(), "CALL=K1|");
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
