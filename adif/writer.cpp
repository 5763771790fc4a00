#include "adif/writer.h"

#include <cstring>

namespace {

// Decimal digits of a byte count, without sign or leading zeros.
std::size_t format_count(std::size_t value, char* out) {
  char digits[24];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (std::size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

}  // namespace

void write_field(OutputStream& stream, const AdifField& field) {
  // The length written is the value as held, not the declared one: a value
  // cut short by a NUL byte is still described correctly.
  std::size_t value_length = std::strlen(field.value);
  char count[24];
  stream.write("<", 1);
  stream.write(field.name);
  stream.write(":", 1);
  stream.write(count, format_count(value_length, count));
  stream.write(">", 1);
  stream.write(field.value, value_length);
  stream.write(" ", 1);
}

void write_fields(OutputStream& stream, const AdifField* root) {
  // In-order walk; the tree is balanced, so the recursion stays shallow.
  if (root == nullptr) return;
  write_fields(stream, root->left);
  if (std::strncmp(root->name, "APP_", 4) != 0) write_field(stream, *root);
  write_fields(stream, root->right);
}
