#pragma once
// Builds the field tree of a record whose fields come in one reader call,
// which is how most logs hold their records: one to a line.
//
// A log uses a few dozen field names over and over, mostly in the same order
// record after record. Each name is checked against the name the previous
// record had in its position, or else looked up in the dictionary of names
// met so far, which knows its place in name order; marking those places in a
// bitmap sorts the record's fields in one pass and shows a repeated name at
// once. The tree is then laid out over the sorted fields in a balanced shape
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

  // Makes a field in `record`'s storage (name and value must already live
  // there; the name is `name_length` bytes, NUL-terminated and followed by
  // a readable word by the time finish() runs). While the record has no tree
  // yet the field waits for finish(); otherwise it is inserted at once, as
  // add_field does. Returns the field.
  AdifField* add(QsoRecord& record, char* name, std::size_t name_length, char* value,
                 int32_t length, std::string& error_text) {
    void* memory = record.storage.allocate(sizeof(AdifField));
    AdifField* field = new (memory) AdifField{name, value, length, 0, nullptr, nullptr};
    if (record.fields == nullptr && waiting_count_ < kMaxFields) {
      waiting_[waiting_count_++] = {field, static_cast<uint32_t>(name_length)};
    } else {
      insert_now(record, field, error_text);
    }
    return field;
  }

  // Links the waiting fields into `record`'s tree, sets the shortcuts and, for
  // a refused duplicate, the error text.
  void finish(QsoRecord& record, std::string& error_text);

 private:
  // A record with more fields in one call gets the rest inserted one by one.
  static constexpr std::size_t kMaxFields = 128;
  static constexpr std::size_t kWords = FieldNames::kCapacity / 64;

  struct Waiting {
    AdifField* field;
    uint32_t name_length;
  };
  struct ShapeNode {  // by rank in name order; the field count for no child
    int32_t left, right, level;
  };
  struct Shape {
    std::vector<ShapeNode> nodes;
    int32_t root = -1;
  };

  void insert_now(QsoRecord& record, AdifField* field, std::string& error_text);
  void insert_one_by_one(QsoRecord& record, std::size_t count, std::string& error_text);
  void finish_again(QsoRecord& record, std::size_t count, std::string& error_text);
  const Shape& shape_of(std::size_t count);

  Waiting waiting_[kMaxFields];
  std::size_t waiting_count_ = 0;

  FieldNames names_;
  // The previous record's names by field position, -1 past its end: a log
  // repeats them in the same order, and comparing with a guess is cheaper
  // than looking a name up.
  int32_t guesses_[kMaxFields];
  uint64_t present_[kWords] = {};          // by rank: a field of that name is in the record
  AdifField* by_rank_[FieldNames::kCapacity];  // that field, where present_ says so
  std::vector<Shape> shapes_;              // by field count
};
