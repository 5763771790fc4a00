#pragma once
// Builds the field tree of a record whose fields come in one reader call,
// which is how most logs hold their records: one to a line.
//
// A logging program writes every record with the same fields in the same
// order, so the builder keeps the previous record's names and their order by
// name. A new record's names are compared with those one by one; for the part
// that repeats, their order is already known, and only the rest is placed by
// binary search. The tree is then laid out over the sorted fields in one
// pass, in a balanced shape kept per field count. It holds what inserting the
// fields one by one holds (of two equal names the first, the second refused
// and reported), with the same key-field shortcuts.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "adif/record.h"

class TreeBuilder {
 public:
  // Makes a field in `record`'s storage (name and value must already live
  // there; the name is `name_length` bytes). While the record has no tree
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
  const Shape& shape_of(std::size_t count);

  Waiting waiting_[kMaxFields];
  std::size_t waiting_count_ = 0;

  // The previous record built here: its names, which of its fields its tree
  // holds in name order, and per field whether it was refused and which
  // shortcut it sets.
  std::string names_;
  uint32_t name_ends_[kMaxFields];
  std::size_t known_ = 0;
  uint8_t order_[kMaxFields];
  std::size_t kept_ = 0;
  bool refused_[kMaxFields];
  int8_t slots_[kMaxFields];

  std::vector<Shape> shapes_;  // by field count
};
