#include "adif/record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

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

}  // namespace
