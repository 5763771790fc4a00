#include "split/split.h"

#include <cstdio>

#include "adif/reader.h"
#include "adif/writer.h"
#include "split/paths.h"

namespace {

constexpr std::size_t kLineSize = 1024;

struct SplitState {
  const char* input_path;
  const char* output_folder;  // null: beside the input
  Host& host;
  OpenPaths open_paths;
  std::unique_ptr<QthFile> registry;
};

// The field that names the record's QTH, or null. A present field decides
// even when empty; the second name is only a fallback.
const AdifField* qth_field_of(const QsoRecord& record) {
  const AdifField* field = find_field(record.fields, "APP_N1MM_ROVERQTH");
  if (field == nullptr) field = find_field(record.fields, "APP_WRITELOG_MYCTY");
  return field;
}

// Routes one record to its QTH's file. Returns false when the user cancelled,
// which ends the split.
bool handle_record(const QsoRecord* record, SplitState& state) {
  if (record == nullptr) return true;
  const AdifField* qth_field = qth_field_of(*record);
  if (qth_field == nullptr) return true;

  QthFile* entry = find_qth_file(state.registry.get(), qth_field->value);
  if (entry == nullptr) {
    std::unique_ptr<QthFile> created = create_qth_file(
        qth_field->value, state.input_path, state.host, state.open_paths, state.output_folder);
    if (!created) return false;
    entry = created.get();
    state.registry = insert_qth_file(std::move(state.registry), std::move(created));
  }
  // `entry` points to the entry itself, which moved into the registry with
  // its owner; cppcheck takes it for a pointer to the moved-from local (a
  // false positive).
  // cppcheck-suppress invalidLifetime
  if (!entry->stream) return true;

  OutputStream& out = *entry->stream;
  if (entry->qso_count == 0) out.write(ADIF_HEADER_LINE, 7);
  write_record_fields(out, *record);
  out.write(ADIF_END_OF_RECORD_LINE, 7);
  entry->qso_count += 1;
  return true;
}

}  // namespace

std::unique_ptr<QthFile> split_by_qth(AdifReader& input, const char* input_path, Host& host,
                                      StatusLists& status, const char* output_folder) {
  SplitState state{input_path, output_folder, host, {}, nullptr};
  std::unique_ptr<QsoRecord> record;
  std::unique_ptr<char[]> line = std::make_unique<char[]>(kLineSize);
  std::string error_text;
  AdifStatus result;

  for (;;) {
    result = parse_ADIF(input, record, line.get(), kLineSize, error_text);
    if (result == ADIF_LINE_DONE) continue;
    if (result == ADIF_END_OF_HEADER) {
      // Fields before the end of the header describe the log, not a QSO.
      input.release(record);
      continue;
    }
    if (result == ADIF_END_OF_RECORD) {
      bool go_on = handle_record(record.get(), state);
      input.release(record);
      if (go_on) continue;
      break;
    }
    if (result != ADIF_END_OF_FILE) {
      std::fprintf(stderr, "ERROR:\tUnrecognized status %0d returned from parse_ADIF()\n",
                   static_cast<int>(result));
    }
    break;
  }

  // Tell the user what the reader met, so a cut-short split does not look
  // like a complete one.
  if (result == ADIF_TRUNCATED_LINE) {
    if (!error_text.empty()) add_status_message(2, status, error_text.c_str());
  } else if (result == ADIF_END_OF_FILE) {
    if (error_text.rfind(ADIF_INPUT_ENDED_IN_VALUE, 0) == 0) {
      add_status_message(2, status, error_text.c_str());
    } else {
      if (!error_text.empty()) add_status_message(1, status, error_text.c_str());
      // A QSO whose <EOR> was lost with the end of the log would otherwise
      // vanish without a word. A read error is reported below instead.
      if (record && !input.failed() && qth_field_of(*record) != nullptr)
        add_status_message(2, status, "ERROR: Input ended before the <EOR> of the last record");
    }
  }
  if (input.failed()) {
    char text[128];
    std::snprintf(text, sizeof text, "ERROR: Could not read all of %s", file_name_part(input_path));
    add_status_message(2, status, text);
  }
  return std::move(state.registry);
}

std::unique_ptr<QthFile> split_by_qth(std::FILE* input, const char* input_path, Host& host,
                                      StatusLists& status, const char* output_folder) {
  AdifReader reader(input);
  return split_by_qth(reader, input_path, host, status, output_folder);
}
