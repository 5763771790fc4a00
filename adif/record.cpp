#include "adif/record.h"

#include <cstring>
#include <new>

namespace {

inline int compare_names(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  return static_cast<int>(*x) - static_cast<int>(*y);
}

AdifField* skew(AdifField* t) {
  if (t->left != nullptr && t->left->level == t->level) {
    AdifField* l = t->left;
    t->left = l->right;
    l->right = t;
    return l;
  }
  return t;
}

AdifField* split(AdifField* t) {
  if (t->right != nullptr && t->right->right != nullptr && t->right->right->level == t->level) {
    AdifField* r = t->right;
    t->right = r->left;
    r->left = t;
    r->level += 1;
    return r;
  }
  return t;
}

}  // namespace

void set_duplicate_message(const AdifField& field, std::string& error_text) {
  // The value may still run on past its length (it is cut later), and may be
  // shorter when a NUL stands inside it: show at most `length` bytes of it.
  std::size_t shown = 0;
  if (field.length > 0) shown = strnlen(field.value, static_cast<std::size_t>(field.length));
  error_text.assign("Duplicate field: <");
  append_tag(error_text, field.name, field.declared);
  error_text.append(field.value, shown);
}

void append_tag(std::string& text, const char* name, int32_t length) {
  text.append(name);
  text.push_back(':');
  text.append(std::to_string(length));
  text.push_back('>');
}

AdifField* insert_field(AdifField* root, AdifField* field, std::string& error_text) {
  // The links walked down, so that skew and split can run on the way back up
  // without recursion.
  AdifField** path[kMaxTreeDepth];
  int depth = 0;
  AdifField** link = &root;
  while (*link != nullptr) {
    int order = compare_names(field->name, (*link)->name);
    if (order == 0) {
      set_duplicate_message(*field, error_text);
      return root;
    }
    path[depth++] = link;
    link = order < 0 ? &(*link)->left : &(*link)->right;
  }
  *link = field;
  // A level where nothing changed, below a level where nothing changed
  // either, leaves everything above as it was: stop there.
  bool below_changed = true;
  while (depth > 0) {
    AdifField** at = path[--depth];
    AdifField* before = *at;
    int32_t level = before->level;
    *at = split(skew(before));
    bool changed = *at != before || (*at)->level != level;
    if (!changed && !below_changed) break;
    below_changed = changed;
  }
  return root;
}

AdifField* find_field(AdifField* root, const char* name) {
  while (root != nullptr) {
    int order = compare_names(name, root->name);
    if (order == 0) return root;
    root = order < 0 ? root->left : root->right;
  }
  return nullptr;
}

const AdifField* find_field(const AdifField* root, const char* name) {
  return find_field(const_cast<AdifField*>(root), name);
}

int shortcut_slot(const char* name) {
  switch (name[0]) {
    case 'B':
      return std::strcmp(name, "BAND") == 0 ? 4 : -1;
    case 'C':
      return std::strcmp(name, "CALL") == 0 ? 0 : -1;
    case 'D':
      return std::strcmp(name, "DXCC") == 0 ? 1 : -1;
    case 'M':
      return std::strcmp(name, "MODE") == 0 ? 5 : -1;
    case 'Q':
      return std::strcmp(name, "QSO_DATE") == 0 ? 2 : -1;
    case 'T':
      return std::strcmp(name, "TIME_ON") == 0 ? 3 : -1;
    default:
      return -1;
  }
}

AdifField* add_field(QsoRecord& record, char* name, char* value, int32_t length,
                     std::string& error_text) {
  record.exact_texts = false;  // nothing is known of where these texts live
  AdifField* field =
      record.storage.make<AdifField>(name, value, length, 0, nullptr, nullptr, length);
  record.fields = insert_field(record.fields, field, error_text);
  // The shortcuts follow the latest field of their name, duplicates included.
  int slot = shortcut_slot(name);
  if (slot >= 0) shortcut(record, slot) = field;
  return field;
}
