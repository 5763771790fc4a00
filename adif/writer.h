#pragma once
// The output ADIF form: a bare header line, then one entry per record with its
// fields in name order, "APP_" fields left out and lengths taken from the
// value as held, then the end-of-record line.
#include "adif/output_stream.h"
#include "adif/record.h"

// The fixed 7-byte lines: written before a file's first record and after each record.
inline constexpr char kAdifHeaderLine[] = "<EOH>\r\n";
inline constexpr char kAdifEndOfRecordLine[] = "<EOR>\r\n";

// Writes the fields of the tree at `root` in ascending name order, skipping
// names that begin with "APP_". A null root writes nothing.
void write_fields(OutputStream& stream, const AdifField* root);

// Writes one field as "<NAME:LEN>VALUE " with LEN the byte length of the value.
void write_field(OutputStream& stream, const AdifField& field);

// Writes the fields of `record` as write_fields does, a word at a time where
// the reader vouches for its texts (QsoRecord::exact_texts).
void write_record_fields(OutputStream& stream, const QsoRecord& record);
