#pragma once
// Builds the field tree of a record whose fields come in one reader call,
// which is how most logs hold their records: one to a line.
//
// A log uses a few dozen field names over and over, mostly in the same order
// record after record. While a tag is read, its name is compared with the
// name that followed the previous field's name last time (expected()); only
// when that guess fails is the name scanned and looked up in the dictionary
// of names met so far, which knows its place in name order. Marking those
// places in a bitmap sorts the record's fields in one pass and shows a
// repeated name at once. The tree is then laid out over the sorted fields in a balanced shape
// kept per field count. It holds what inserting the fields one by one holds
// (of two equal names the first, the second refused and reported), with the
// same key-field shortcuts.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "adif/field_names.h"
#include "adif/record.h"

class TreeBuilder {
 public:
  TreeBuilder();

  // The dictionary number of the name the next field of this call probably
  // has, or -1 for no guess.
  int32_t expected() const { return follows_[last_ + 1]; }
  // Whether the tag name at `name` (in a text followed by a readable word)
  // is name number `id`: its bytes, then ':' or '>'. The name is then upper
  // case already.
  bool names_tag(int32_t id, const char* name) const { return names_.starts(id, name); }
  // The length of name number `id`.
  uint32_t name_length(int32_t id) const { return names_.length(id); }

  // Makes a field in `record`'s storage (name and value must already live
  // there; the name is `name_length` bytes, NUL-terminated and followed by a
  // readable word). `id` is the name's dictionary number, or -1 when not
  // known yet. While the record has no tree yet the field waits for finish();
  // otherwise it is inserted at once, as add_field does. `length` is the
  // value's length in bytes, `declared` the tag's. Returns the field.
  AdifField* add(QsoRecord& record, char* name, std::size_t name_length, int32_t id, char* value,
                 int32_t length, int32_t declared, std::string& error_text) {
    AdifField* field =
        record.storage.make<AdifField>(name, value, length, 0, nullptr, nullptr, declared);
    if (record.fields == nullptr && waiting_count_ < kMaxFields) {
      if (id < 0) id = names_.find_or_add(name, static_cast<uint32_t>(name_length));
      if (id >= 0) follows_[last_ + 1] = id;
      unnamed_ |= id < 0;
      last_ = id;
      waiting_[waiting_count_++] = {field, id};
    } else {
      insert_now(record, field, error_text);
    }
    return field;
  }

  // Links the waiting fields into `record`'s tree, sets the shortcuts and, for
  // a refused duplicate, the error text.
  void finish(QsoRecord& record, std::string& error_text);

  // The reader has just told of a problem in the error text: a duplicate
  // among the fields waiting so far was read before it and must not replace
  // that message when finish() finds it.
  void told_of_problem() { told_before_ = waiting_count_; }

 private:
  // A record with more fields in one call gets the rest inserted one by one.
  static constexpr std::size_t kMaxFields = 128;
  static constexpr std::size_t kWords = FieldNames::kCapacity / 64;

  // Stands for the start of a call among name numbers; a full dictionary's
  // unknown names (-1) count as a start too.
  static constexpr int32_t kStart = -1;

  struct Waiting {
    AdifField* field;
    int32_t id;  // -1: the dictionary was full
  };
  struct ShapeNode {  // by rank in name order; the field count for no child
    int32_t left, right, level;
  };
  struct Shape {
    std::vector<ShapeNode> nodes;
    int32_t root = -1;
  };

  void insert_now(QsoRecord& record, AdifField* field, std::string& error_text);
  void insert_one_by_one(QsoRecord& record, std::size_t count, std::size_t told_before,
                         std::string& error_text);
  const Shape& shape_of(std::size_t count);

  Waiting waiting_[kMaxFields] = {};
  std::size_t waiting_count_ = 0;
  std::size_t told_before_ = 0;  // duplicates among the first this many waiting fields stay untold
  bool unnamed_ = false;         // a waiting field's name is not in the dictionary (it was full)

  FieldNames names_;
  // At name number + 1 (kStart + 1 first): the number of the name that
  // followed it last time, or -1. Comparing a tag with a guess is cheaper
  // than scanning and looking up its name.
  int32_t follows_[FieldNames::kCapacity + 1] = {};
  int32_t last_ = kStart;          // the number of the last waiting field's name
  uint64_t present_[kWords] = {};  // by rank: a field of that name is in the record
  AdifField* by_rank_[FieldNames::kCapacity] = {};  // that field, where present_ says so
  std::size_t last_shape_count_ = 0;                // the field count shape_of was last asked for
  std::vector<Shape> shapes_;                       // by field count
};
