#include "adif/tree_builder.h"

#include <cstring>

#include "adif/words.h"

void TreeBuilder::insert_now(QsoRecord& record, AdifField* field, std::string& error_text) {
  // A record continued over several calls, or one with very many fields:
  // the tree is there, or gets built from what waits, and takes the rest one by one.
  if (record.fields == nullptr) finish(record, error_text);
  record.fields = insert_field(record.fields, field, error_text);
  const int slot = shortcut_slot(field->name);
  if (slot >= 0) shortcut(record, slot) = field;
}

void TreeBuilder::finish(QsoRecord& record, std::string& error_text) {
  const std::size_t count = waiting_count_;
  if (count == 0) return;
  waiting_count_ = 0;

  // How many names repeat the previous record's, in the same places.
  std::size_t same = 0;
  const std::size_t comparable = count < known_ ? count : known_;
  for (uint32_t begin = 0; same < comparable; ++same) {
    const Waiting& field = waiting_[same];
    if (name_ends_[same] - begin != field.name_length ||
        !words::same_bytes(names_.data() + begin, field.field->name, field.name_length))
      break;
    begin = name_ends_[same];
  }

  // Those names keep their order and their refusals; the others are placed
  // by binary search among the fields kept so far.
  uint8_t order[kMaxFields];
  std::size_t kept = 0;
  std::size_t last_refused = count;
  for (std::size_t i = 0; i < same; ++i)
    if (refused_[i]) last_refused = i;
  for (std::size_t r = 0; r < kept_; ++r)
    if (order_[r] < same) order[kept++] = order_[r];
  for (std::size_t i = same; i < count; ++i) {
    std::size_t low = 0;
    std::size_t high = kept;
    bool duplicate = false;
    const Waiting& field = waiting_[i];
    while (low < high) {
      const std::size_t middle = (low + high) / 2;
      const Waiting& other = waiting_[order[middle]];
      const int result = words::compare_texts(
          field.field->name, other.field->name,
          field.name_length < other.name_length ? field.name_length : other.name_length);
      if (result > 0) {
        low = middle + 1;
      } else if (result < 0) {
        high = middle;
      } else {
        duplicate = true;
        break;
      }
    }
    refused_[i] = duplicate;
    if (duplicate) last_refused = i;
    slots_[i] = static_cast<int8_t>(shortcut_slot(field.field->name));
    if (duplicate) continue;
    std::memmove(order + low + 1, order + low, kept - low);
    order[low] = static_cast<uint8_t>(i);
    ++kept;
  }

  // The latest refusal is the one the error text tells of, and each shortcut
  // follows the latest field of its name, refused or not.
  if (last_refused < count) set_duplicate_message(*waiting_[last_refused].field, error_text);
  for (std::size_t i = 0; i < count; ++i)
    if (slots_[i] >= 0) shortcut(record, slots_[i]) = waiting_[i].field;

  AdifField* sorted[kMaxFields + 1];
  for (std::size_t r = 0; r < kept; ++r) sorted[r] = waiting_[order[r]].field;
  sorted[kept] = nullptr;
  const Shape& shape = shape_of(kept);
  for (std::size_t r = 0; r < kept; ++r) {
    const ShapeNode& node = shape.nodes[r];
    sorted[r]->left = sorted[node.left];
    sorted[r]->right = sorted[node.right];
    sorted[r]->level = node.level;
  }
  record.fields = sorted[shape.root];

  // Remember this record where it went past the previous one; the names it
  // shares with it are already there.
  if (same < count) {
    names_.resize(same == 0 ? 0 : name_ends_[same - 1]);
    for (std::size_t i = same; i < count; ++i) {
      names_.append(waiting_[i].field->name, waiting_[i].name_length);
      name_ends_[i] = static_cast<uint32_t>(names_.size());
    }
    names_.append(8, '\0');  // so the last name, too, can be read a word at a time
    known_ = count;
    std::memcpy(order_, order, kept);
    kept_ = kept;
  }
}

const TreeBuilder::Shape& TreeBuilder::shape_of(std::size_t count) {
  if (shapes_.size() <= count) shapes_.resize(count + 1);
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
    fields[r] = AdifField{name, name, 0, 0, nullptr, nullptr};
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
