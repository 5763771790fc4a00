#pragma once
// One ADIF record in memory: an AA tree of its fields ordered by name
// (byte-wise, as strcmp compares), plus shortcuts to six key fields.
#include <cstdint>
#include <string>

#include "adif/text_arena.h"

struct AdifField {
  char* name;      // upper-cased as read; never null, may be empty
  char* value;     // `length` bytes of the input (fewer only if a NUL stands inside)
  int32_t length;  // the value's length in bytes
  int32_t level;   // AA-tree level; leaves are at 0
  AdifField* left;
  AdifField* right;
  // The length declared in the tag, which messages show. It equals `length`
  // unless the reader found the value's real end elsewhere (adif/value_end.h).
  int32_t declared;
};

struct QsoRecord {
  // User-provided, so that make_unique does not zero the arena's inline block.
  QsoRecord() {}
  AdifField* call = nullptr;
  AdifField* dxcc = nullptr;
  AdifField* qso_date = nullptr;
  AdifField* time_on = nullptr;
  AdifField* band = nullptr;
  AdifField* mode = nullptr;
  AdifField* fields = nullptr;  // root of the field tree
  // Set by the reader for the records it makes, cleared by add_field: every
  // value is exactly its declared length, and every name and value is
  // followed by at least a word of readable bytes, so that the writer may
  // copy a word at a time.
  bool exact_texts = false;
  // Owns every field (a refused duplicate included) and every text they point
  // into; destroying the record releases all of it.
  TextArena storage;

  // Makes the record empty, as a new one is, keeping its storage for reuse.
  void clear() {
    call = dxcc = qso_date = time_on = band = mode = fields = nullptr;
    exact_texts = false;
    storage.clear();
  }
};

// How deep a walk of a record's field tree can go: an AA tree of n nodes is
// at most 2 log2(n + 1) high, so this holds any tree that fits in memory.
inline constexpr int kMaxTreeDepth = 128;

// Appends "NAME:LEN>" to `text`: how messages name a field by its tag, after
// the '<' that opens their text.
void append_tag(std::string& text, const char* name, int32_t length);

// Inserts `field` (level 0, no children) into the tree at `root` and returns the
// new root. A name already in the tree is refused: the tree is left as it was
// and `error_text` becomes "Duplicate field: <NAME:LEN>VALUE".
AdifField* insert_field(AdifField* root, AdifField* field, std::string& error_text);

// Returns the field whose name equals `name` byte for byte, or null.
AdifField* find_field(AdifField* root, const char* name);
const AdifField* find_field(const AdifField* root, const char* name);

// Sets `error_text` to "Duplicate field: <NAME:LEN>VALUE" for `field`.
void set_duplicate_message(const AdifField& field, std::string& error_text);

// Which key-field shortcut a field of this name sets: 0 call, 1 dxcc,
// 2 qso_date, 3 time_on, 4 band, 5 mode; -1 for any other name.
int shortcut_slot(const char* name);
// The shortcut of that number in `record`.
inline AdifField*& shortcut(QsoRecord& record, int slot) {
  static constexpr AdifField* QsoRecord::*kShortcuts[] = {&QsoRecord::call,     &QsoRecord::dxcc,
                                                          &QsoRecord::qso_date, &QsoRecord::time_on,
                                                          &QsoRecord::band,     &QsoRecord::mode};
  return record.*kShortcuts[slot];
}

// Makes a field in `record`'s storage (name and value must already live there),
// inserts it into the tree and points the matching key-field shortcut at it,
// even when the tree refused it as a duplicate.
AdifField* add_field(QsoRecord& record, char* name, char* value, int32_t length,
                     std::string& error_text);
