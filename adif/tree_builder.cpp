#include "adif/tree_builder.h"

#include <algorithm>
#include <iterator>

#include "adif/words.h"

TreeBuilder::TreeBuilder() { std::fill(std::begin(follows_), std::end(follows_), -1); }

void TreeBuilder::insert_now(QsoRecord& record, AdifField* field, std::string& error_text) {
  // A record continued over several calls, or one with very many fields:
  // the tree is there, or gets built from what waits, and takes the rest one by one.
  if (record.fields == nullptr) finish(record, error_text);
  record.fields = insert_field(record.fields, field, error_text);
  const int slot = shortcut_slot(field->name);
  if (slot >= 0) shortcut(record, slot) = field;
}

void TreeBuilder::insert_one_by_one(QsoRecord& record, std::size_t count, std::size_t told_before,
                                    std::string& error_text) {
  std::string earlier;  // a duplicate read before a problem already told of
  for (std::size_t i = 0; i < count; ++i) {
    AdifField* field = waiting_[i].field;
    record.fields = insert_field(record.fields, field, i < told_before ? earlier : error_text);
    const int slot = shortcut_slot(field->name);
    if (slot >= 0) shortcut(record, slot) = field;
  }
}

void TreeBuilder::finish(QsoRecord& record, std::string& error_text) {
  const std::size_t count = waiting_count_;
  const std::size_t told_before = told_before_;
  told_before_ = 0;
  if (count == 0) return;
  waiting_count_ = 0;
  last_ = kStart;
  if (unnamed_) {  // a log of more distinct names than the dictionary holds
    unnamed_ = false;
    return insert_one_by_one(record, count, told_before, error_text);
  }

  // The first field of each name takes its place; a later one is refused,
  // and the latest refusal is the one the error text tells of. Each shortcut
  // follows the latest field of its name, refused or not.
  std::size_t last_refused = count;
  for (std::size_t i = 0; i < count; ++i) {
    AdifField* field = waiting_[i].field;
    const uint32_t rank = names_.rank(waiting_[i].id);
    const uint64_t bit = uint64_t{1} << (rank & 63);
    uint64_t& word = present_[rank >> 6];
    if ((word & bit) != 0) {
      last_refused = i;
    } else {
      word |= bit;
      by_rank_[rank] = field;
    }
    const int slot = names_.shortcut(waiting_[i].id);
    if (slot >= 0) shortcut(record, slot) = field;
  }
  // A duplicate read before a problem the reader already told of does not
  // replace its message: the latest problem in the log is the one shown.
  if (last_refused < count && last_refused >= told_before)
    set_duplicate_message(*waiting_[last_refused].field, error_text);

  AdifField* sorted[kMaxFields + 1];
  std::size_t kept = 0;
  const std::size_t used_words = (names_.size() + 63) / 64;
  for (std::size_t w = 0; w < used_words; ++w) {
    for (uint64_t bits = present_[w]; bits != 0; bits &= bits - 1)
      sorted[kept++] = by_rank_[w * 64 + words::lowest_bit(bits)];
    present_[w] = 0;
  }
  sorted[kept] = nullptr;

  const Shape& shape = shape_of(kept);
  for (std::size_t r = 0; r < kept; ++r) {
    const ShapeNode& node = shape.nodes[r];
    sorted[r]->left = sorted[node.left];
    sorted[r]->right = sorted[node.right];
    sorted[r]->level = node.level;
  }
  record.fields = sorted[shape.root];
}

const TreeBuilder::Shape& TreeBuilder::shape_of(std::size_t count) {
  // Records of one log mostly hold as many fields as the one before.
  if (count == last_shape_count_) return shapes_[count];
  if (shapes_.size() <= count) shapes_.resize(count + 1);
  last_shape_count_ = count;
  Shape& shape = shapes_[count];
  if (shape.root >= 0) return shape;
  // Inserting names in ascending order gives a valid AA tree of that many
  // fields; ranks stand in for the names.
  std::vector<AdifField> fields(count);
  std::vector<char> names(count * 3);
  AdifField* root = nullptr;
  std::string unused;
  for (std::size_t r = 0; r < count; ++r) {
    char* name = &names[r * 3];
    name[0] = static_cast<char>(1 + r / 64);
    name[1] = static_cast<char>(1 + r % 64);
    name[2] = '\0';
    fields[r] = AdifField{name, name, 0, 0, nullptr, nullptr, 0};
    root = insert_field(root, &fields[r], unused);
  }
  auto rank = [&](const AdifField* field) {
    return static_cast<int32_t>(field == nullptr ? count : field - fields.data());
  };
  shape.nodes.resize(count);
  for (std::size_t r = 0; r < count; ++r)
    shape.nodes[r] = {rank(fields[r].left), rank(fields[r].right), fields[r].level};
  shape.root = rank(root);
  return shape;
}
