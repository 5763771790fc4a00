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

char* put(char* out, const char* bytes, std::size_t count) {
  std::memcpy(out, bytes, count);
  return out + count;
}

}  // namespace

void write_field(OutputStream& stream, const AdifField& field) {
  // The length written is the value as held, not the declared one: a value
  // cut short by a NUL byte is still described correctly.
  std::size_t name_length = std::strlen(field.name);
  std::size_t value_length = std::strlen(field.value);
  char count[24];
  std::size_t digits = format_count(value_length, count);

  // One bounds check per field instead of one per piece: fields are the bulk
  // of every output file.
  if (char* out = stream.reserve(name_length + digits + value_length + 4)) {
    *out++ = '<';
    out = put(out, field.name, name_length);
    *out++ = ':';
    out = put(out, count, digits);
    *out++ = '>';
    out = put(out, field.value, value_length);
    *out++ = ' ';
    stream.commit(out);
    return;
  }
  stream.write("<", 1);
  stream.write(field.name, name_length);
  stream.write(":", 1);
  stream.write(count, digits);
  stream.write(">", 1);
  stream.write(field.value, value_length);
  stream.write(" ", 1);
}

void write_fields(OutputStream& stream, const AdifField* root) {
  // In-order walk; the tree is balanced, so the recursion stays shallow.
  if (root == nullptr) return;
  write_fields(stream, root->left);
  const char* n = root->name;
  bool application_field = n[0] == 'A' && n[1] == 'P' && n[2] == 'P' && n[3] == '_';
  if (!application_field) write_field(stream, *root);
  write_fields(stream, root->right);
}
