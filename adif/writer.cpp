#include "adif/writer.h"

#include <cstring>

#include "adif/padding.h"
#include "adif/scan.h"

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

// Reader-made texts are copied in blocks of this many bytes, a fixed-size
// memcpy being one move: a copy reads and writes up to kCopyBlock - 1 bytes
// past its end. A name or value read past its end runs on into the rest of
// its working text and then the padding after the text's NUL.
constexpr std::size_t kCopyBlock = 16;
static_assert(kCopyBlock - 1 <= scan::kPadding, "a block copy reads into the padding");

// The most bytes a field's entry holds besides its name and value: '<', ':',
// ten digits of length, '>' and the blank after the value.
constexpr std::size_t kMostFrameBytes = 14;

char* copy_blocks(char* out, const char* from, std::size_t count) {
  for (std::size_t i = 0; i < count; i += kCopyBlock) std::memcpy(out + i, from + i, kCopyBlock);
  return out + count;
}

void write_exact_field(OutputStream& stream, const AdifField& field) {
  const std::size_t name_length = scan::padded_length(field.name);
  const auto value_length = static_cast<std::size_t>(field.length);
  // Room for the entry and for the last block copy's overrun.
  char* out = stream.reserve(name_length + value_length + kMostFrameBytes + kCopyBlock);
  if (out == nullptr) {
    write_field(stream, field);
    return;
  }
  *out++ = '<';
  out = copy_blocks(out, field.name, name_length);
  *out++ = ':';
  if (value_length < 10) {
    *out++ = static_cast<char>('0' + value_length);
  } else if (value_length < 100) {
    *out++ = static_cast<char>('0' + value_length / 10);
    *out++ = static_cast<char>('0' + value_length % 10);
  } else {
    out += format_count(value_length, out);
  }
  *out++ = '>';
  out = copy_blocks(out, field.value, value_length);
  *out++ = ' ';
  stream.commit(out);
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
  if (!scan::is_application_name_plain(root->name)) write_field(stream, *root);
  write_fields(stream, root->right);
}

void write_record_fields(OutputStream& stream, const QsoRecord& record) {
  if (!record.exact_texts) {
    write_fields(stream, record.fields);
    return;
  }
  // In order without recursion.
  const AdifField* stack[kMaxTreeDepth];
  int depth = 0;
  const AdifField* node = record.fields;
  while (node != nullptr || depth > 0) {
    for (; node != nullptr; node = node->left) stack[depth++] = node;
    node = stack[--depth];
    if (!scan::is_application_name(node->name)) write_exact_field(stream, *node);
    node = node->right;
  }
}
