#include "adif/record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "adif/field_names.h"
#include "adif/reader.h"

namespace {

// Fields made by hand; the texts live as long as the pool.
struct FieldPool {
  std::deque<std::string> texts;
  std::deque<AdifField> fields;

  AdifField* make(const std::string& name, const std::string& value, int32_t length) {
    char* n = texts.emplace_back(name).data();
    char* v = texts.emplace_back(value).data();
    return &fields.emplace_back(AdifField{n, v, length, 0, nullptr, nullptr, length});
  }
  AdifField* make(const std::string& name) { return make(name, "v", 1); }
};

void walk(const AdifField* t, std::vector<std::string>& names) {
  if (!t) return;
  walk(t->left, names);
  names.emplace_back(t->name);
  walk(t->right, names);
}

std::vector<std::string> in_order(const AdifField* root) {
  std::vector<std::string> names;
  walk(root, names);
  return names;
}

// Number of nodes under `t`, or -1 when a level rule of the AA tree or the
// byte order of the names is broken somewhere below.
int aa_count(const AdifField* t) {
  if (!t) return 0;
  const AdifField* l = t->left;
  const AdifField* r = t->right;
  bool ok = (l || r || t->level == 0) && (!l || l->level == t->level - 1) &&
            (!r || r->level == t->level || r->level == t->level - 1) &&
            (!r || !r->right || r->right->level < t->level) && (t->level == 0 || (l && r)) &&
            (!l || std::strcmp(l->name, t->name) < 0) && (!r || std::strcmp(t->name, r->name) < 0);
  int left = aa_count(l), right = aa_count(r);
  return ok && left >= 0 && right >= 0 ? 1 + left + right : -1;
}

TEST(AdifRecord, ThreeFieldsBalanceWithCallAtTheRoot) {
  FieldPool pool;
  std::string error;
  AdifField* root = nullptr;
  for (const char* name : {"BAND", "CALL", "MODE"})
    root = insert_field(root, pool.make(name), error);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name, "CALL");
  EXPECT_EQ(root->level, 1);
  ASSERT_NE(root->left, nullptr);
  ASSERT_NE(root->right, nullptr);
  EXPECT_STREQ(root->left->name, "BAND");
  EXPECT_STREQ(root->right->name, "MODE");
  EXPECT_EQ(root->left->level, 0);
  EXPECT_EQ(root->right->level, 0);
  EXPECT_EQ(error, "");
}

TEST(AdifRecord, WalkYieldsNamesInByteOrder) {
  FieldPool pool;
  std::string error;
  AdifField* root = nullptr;
  // "\xC4" must sort after "Z": bytes compare as unsigned values.
  for (const char* name :
       {"CALL", "BAND_RX", "TIME_ON", "\xC4", "BAND", "TIME_OFF", "QSO_DATE", "A1", "Z"})
    root = insert_field(root, pool.make(name), error);
  EXPECT_EQ(in_order(root), (std::vector<std::string>{"A1", "BAND", "BAND_RX", "CALL", "QSO_DATE",
                                                      "TIME_OFF", "TIME_ON", "Z", "\xC4"}));
  EXPECT_EQ(aa_count(root), 9);
}

TEST(AdifRecord, DuplicateIsRefusedWithExactlyLengthBytesInTheMessage) {
  const std::string long_value = std::string(1234, 'n') + "<BAND:3>20M";
  struct Case {
    std::string name, value;
    int32_t length;
    std::string expected;
  } cases[] = {
      {"CALL", "N0CALL <BAND:3>20M <EOR>", 6, "Duplicate field: <CALL:6>N0CALL"},
      {"CALL", "N0CALL", 0, "Duplicate field: <CALL:0>"},
      {"NOTES", long_value, 1234, "Duplicate field: <NOTES:1234>" + std::string(1234, 'n')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.substr(0, 40));
    FieldPool pool;
    std::string error = "earlier problem";
    AdifField* first = pool.make(c.name, "FIRST", 5);
    AdifField* root = insert_field(nullptr, first, error);
    root = insert_field(root, pool.make("BAND"), error);
    root = insert_field(root, pool.make("MODE"), error);
    EXPECT_EQ(error, "earlier problem");  // unchanged without a duplicate
    root = insert_field(root, pool.make(c.name, c.value, c.length), error);
    EXPECT_EQ(error, c.expected);
    EXPECT_EQ(find_field(root, c.name.c_str()), first);
    EXPECT_EQ(aa_count(root), 3);
  }
}

TEST(AdifRecord, DuplicateKeyFieldMovesTheShortcutButNotTheTree) {
  struct Key {
    const char* name;
    AdifField* QsoRecord::*shortcut;
  } keys[] = {{"CALL", &QsoRecord::call},         {"DXCC", &QsoRecord::dxcc},
              {"QSO_DATE", &QsoRecord::qso_date}, {"TIME_ON", &QsoRecord::time_on},
              {"BAND", &QsoRecord::band},         {"MODE", &QsoRecord::mode}};
  for (const Key& k : keys) {
    SCOPED_TRACE(k.name);
    QsoRecord record;
    std::string error;
    auto add = [&](const char* name, const char* value) {
      return add_field(record, record.storage.copy(name, std::strlen(name)),
                       record.storage.copy(value, std::strlen(value)),
                       static_cast<int32_t>(std::strlen(value)), error);
    };
    add("NAME", "Op");
    for (const Key& other : keys) EXPECT_EQ(record.*other.shortcut, nullptr);
    AdifField* first = add(k.name, "one");
    EXPECT_EQ(record.*k.shortcut, first);
    AdifField* second = add(k.name, "two");
    EXPECT_EQ(error, std::string("Duplicate field: <") + k.name + ":3>two");
    EXPECT_EQ(record.*k.shortcut, second);
    EXPECT_EQ(find_field(record.fields, k.name), first);
    EXPECT_EQ(aa_count(record.fields), 2);
    for (const Key& other : keys)
      EXPECT_TRUE(other.shortcut == k.shortcut || record.*other.shortcut == nullptr) << other.name;
  }
}

TEST(AdifRecord, FindFieldIsExactAndCaseSensitive) {
  FieldPool pool;
  std::string error;
  EXPECT_EQ(find_field(static_cast<AdifField*>(nullptr), "CALL"), nullptr);
  AdifField* call = pool.make("CALL");
  AdifField* root = insert_field(nullptr, call, error);
  root = insert_field(root, pool.make("CALLSIGN"), error);
  root = insert_field(root, pool.make("BAND"), error);
  EXPECT_EQ(find_field(root, "CALL"), call);
  const AdifField* const_root = root;
  EXPECT_EQ(find_field(const_root, "CALL"), call);
  for (const char* absent : {"call", "CAL", "CALL ", "", "ZZZ"})
    EXPECT_EQ(find_field(root, absent), nullptr) << absent;
}

TEST(AdifRecord, ManyInsertsKeepTheTreeBalancedAndOrdered) {
  std::mt19937 random(2016);
  const char alphabet[] = "ABCDEZ_\xC4";
  FieldPool pool;
  std::set<std::string> expected;
  std::string error;
  AdifField* root = nullptr;
  for (int i = 0; i < 500; ++i) {
    std::string name(1 + random() % 4, ' ');
    for (char& c : name) c = alphabet[random() % (sizeof alphabet - 1)];
    bool fresh = expected.insert(name).second;
    error.clear();
    AdifField* field = pool.make(name);
    root = insert_field(root, field, error);
    EXPECT_EQ(error.empty(), fresh) << name;
    EXPECT_TRUE(!fresh || find_field(root, name.c_str()) == field) << name;
  }
  EXPECT_EQ(aa_count(root), static_cast<int>(expected.size()));
  EXPECT_EQ(in_order(root), std::vector<std::string>(expected.begin(), expected.end()));
}

// A field of a generated log: its name as written in the tag (any case),
// its value, and the bytes after its declared length: none, or two that no
// value ends before, which the reader reports as a broken value end.
struct LogField {
  std::string name, value, past_end;
};
struct LogRecord {
  std::vector<LogField> fields;
  bool one_line;  // or with line ends between some fields: read in several calls
};

// Records of a log the tree builder finds hard: names that recur in changing
// order and case (key fields among them) beside a stream of new ones that
// fills the reader's dictionary, duplicates, names that sort by their high
// bytes, broken value ends (problems told between duplicates), and now and
// then more fields than the builder keeps waiting (past which the names are
// new, so that a duplicate before is the last one). Every value is unique,
// so a shortcut shows which field it points at.
std::vector<LogRecord> random_records(std::mt19937& random, int count) {
  const std::vector<std::string> common = {
      "CALL",       "call",     "Band", "MODE",     "QSO_DATE",
      "TIME_ON",    "DXCC",     "FREQ", "NAME",     "CAL",
      "CALLS",      "BAND_RX",  "A1",   "Z",        "\xC4",
      "\xC4x",      "",         "_",    "RST_SENT", "APP_N1MM_ROVERQTH",
      "GRIDSQUARE", "qso_date", "mode", "dxcc"};
  const char kNameBytes[] = "ABCZabcz019_\xC4\xE9";
  const char kValueBytes[] = "0123456789 ABCabc:>/-\xC4";
  std::vector<LogRecord> records(static_cast<std::size_t>(count));
  int serial = 0;
  for (LogRecord& record : records) {
    const bool big = random() % 20 == 0;
    record.one_line = big || random() % 4 != 0;
    const int fields = big ? 129 + random() % 20 : 1 + random() % 25;
    for (int f = 0; f < fields; ++f) {
      LogField field;
      if (f >= 128) {
        field.name = "NEW" + std::to_string(serial);
      } else if (random() % 2 != 0) {
        field.name = common[random() % common.size()];
      } else {
        field.name.resize(2 + random() % 10);
        for (char& c : field.name) c = kNameBytes[random() % (sizeof kNameBytes - 1)];
      }
      field.value = std::to_string(serial++) + std::string(random() % 8, ' ');
      for (char& c : field.value)
        if (c == ' ') c = kValueBytes[random() % (sizeof kValueBytes - 1)];
      // No rule explains such an end: the value holds no tag and no
      // well-formed character of more than one byte.
      if (!big && random() % 12 == 0) field.past_end = "yz";
      record.fields.push_back(field);
    }
  }
  return records;
}

// A tag name as the reader keeps it: a-z upper-cased, every other byte as it is.
std::string upper_cased(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

// The tree of a record, each field as "NAME:length:declared=value", in order.
std::string dump(const AdifField* t) {
  if (!t) return "";
  return dump(t->left) + t->name + ":" + std::to_string(t->length) + ":" +
         std::to_string(t->declared) + "=" + std::string(t->value, t->length) + "|" +
         dump(t->right);
}

// The six key-field shortcuts, as what they point at.
std::string shortcuts(const QsoRecord& record) {
  std::string out;
  for (const AdifField* field :
       {record.call, record.dxcc, record.qso_date, record.time_on, record.band, record.mode})
    out += field ? std::string(field->name) + "=" + std::string(field->value, field->length) + "|"
                 : "null|";
  return out;
}

TEST(TreeBuilder, RecordsReadHoldWhatAddingTheirFieldsOneByOneHolds) {
  std::mt19937 random(1296);
  const auto records = random_records(random, 400);
  // The log: EOR tags in any case, line ends between fields where a record
  // is not on one line.
  std::string log;
  std::set<std::string> names_in_one_call;
  for (const LogRecord& record : records) {
    for (const LogField& field : record.fields) {
      log += "<" + field.name + ":" + std::to_string(field.value.size()) + ">" + field.value +
             field.past_end;
      log += !record.one_line && random() % 4 == 0 ? "\r\n" : " ";
      if (record.one_line) names_in_one_call.insert(upper_cased(field.name));
    }
    log += random() % 2 ? "<EOR>\r\n" : "<eor>\n";
  }
  // The dictionary learns the names of records read in one call.
  ASSERT_GT(names_in_one_call.size(), FieldNames::kCapacity) << "the dictionary must fill";
  // A line buffer that holds the longest line (more fields in one call than
  // the builder keeps waiting), the driver's, and one that cuts most lines
  // into pieces.
  for (std::size_t size : {std::size_t{1} << 16, std::size_t{1024}, std::size_t{48}}) {
    SCOPED_TRACE(testing::Message() << "buffer of " << size);
    AdifReader reader(log.data(), log.size());
    std::vector<char> line(size);
    std::unique_ptr<QsoRecord> read;
    for (std::size_t r = 0; r < records.size(); ++r) {
      SCOPED_TRACE(testing::Message() << "record " << r);
      std::string read_error;
      AdifStatus status;
      while ((status = parse_ADIF(reader, read, line.data(), size, read_error)) == ADIF_LINE_DONE) {
      }
      ASSERT_EQ(status, ADIF_END_OF_RECORD);
      ASSERT_NE(read, nullptr);

      // The same fields one by one; a problem is told before its field is added.
      QsoRecord added;
      std::string added_error;
      for (const LogField& field : records[r].fields) {
        const std::string name = upper_cased(field.name);
        if (!field.past_end.empty())
          added_error = kValueEndBroken + name + ":" + std::to_string(field.value.size()) + ">";
        add_field(added, added.storage.copy(name.data(), name.size()),
                  added.storage.copy(field.value.data(), field.value.size()),
                  static_cast<int32_t>(field.value.size()), added_error);
      }
      ASSERT_EQ(dump(read->fields), dump(added.fields));
      ASSERT_EQ(aa_count(read->fields), static_cast<int>(in_order(added.fields).size()));
      ASSERT_EQ(shortcuts(*read), shortcuts(added));
      ASSERT_EQ(read_error, added_error);
      reader.release(read);
    }
    std::string error;
    EXPECT_EQ(parse_ADIF(reader, read, line.data(), size, error), ADIF_END_OF_FILE);
  }
}

}  // namespace
