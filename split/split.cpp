#include "split/split.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "adif/reader.h"
#include "adif/writer.h"
#include "split/list_items.h"
#include "split/paths.h"
#include "split/planned_files.h"
#include "split/qth_files.h"
#include "split/split_reader.h"
#include "split/split_settings.h"

namespace {

constexpr std::size_t kLineSize = 1024;
constexpr char kOutOfMemoryLine[] = "ERROR: Not enough memory to read all of ";

// How the reading of records ended, which decides what the split reports.
enum class Ending {
  kEndOfInput,   // the reader's end of the input, after a read error too
  kBadLine,      // a status the driver does not handle, such as a truncated line
  kCancelled,    // Cancel in a question
  kInterrupted,  // the host asked the split to stop
  kOutOfMemory,
};

struct SplitState {
  SplitState(const char* input, const char* folder, Host& the_host, const SplitSettings& chosen,
             std::unique_ptr<QthFile>& files)
      : input_path(input),
        output_folder(folder),
        host(the_host),
        settings(chosen),
        registry(files),
        folder_path(output_folder_path(input, folder)),
        log(log_name(input)) {}

  const char* input_path;
  const char* output_folder;  // null: beside the input
  Host& host;
  const SplitSettings& settings;
  OpenPaths open_paths;
  std::unique_ptr<QthFile>& registry;
  int64_t left_out = 0;  // records that named no QTH
  // For outputs named by a template: the start of each path and the log's
  // name; then buffers kept from record to record.
  std::string folder_path;
  std::string log;
  std::string key;
  std::string item;
  std::vector<const QthFile*> written;  // the outputs the record went to (a list QTH)
  RecentOutputs recent{};
};

// The field that names the record's QTH, or null: the first of `fields` the
// record has. A present field decides even when empty; the names after it
// are only fallbacks.
const AdifField* qth_field_of(const QsoRecord& record, const std::vector<std::string>& fields) {
  for (const std::string& name : fields) {
    const AdifField* field = find_field(record.fields, name.c_str());
    if (field != nullptr) return field;
  }
  return nullptr;
}

// Makes the entry for an output met for the first time, keyed by `key`: the
// record at `qth` names it. Null on Cancel.
std::unique_ptr<QthFile> create_output(const QsoRecord& record, const char* qth, const char* key,
                                       SplitState& state) {
  const SplitSettings& settings = state.settings;
  if (settings.name.is_default() && !settings.dry_run)
    return create_qth_file(qth, state.input_path, state.host, state.open_paths,
                           state.output_folder);
  std::string path = state.folder_path;
  settings.name.append_safe(state.log, qth, record, path, state.host);
  if (settings.dry_run) return plan_qth_file(key, std::move(path), state.open_paths);
  return create_named_file(key, std::move(path), state.host, state.open_paths);
}

// The entry of the output the record names at `qth`, made when met for the
// first time. Null when the user cancelled.
QthFile* output_entry(const QsoRecord& record, const char* qth, SplitState& state) {
  // The default names are the QTH's, one for one: the QTH alone is the key.
  const char* key = qth;
  if (!state.settings.name.is_default()) {
    state.settings.name.render_raw(state.log, qth, record, state.key);
    key = state.key.c_str();
  }
  QthFile* entry = find_qth_file(state.registry.get(), key);
  if (entry != nullptr) return entry;
  // Room for the open that may follow, before it.
  state.recent.make_room(state.host.most_open_outputs());
  std::unique_ptr<QthFile> created = create_output(record, qth, key, state);
  if (!created) return nullptr;
  entry = created.get();
  state.registry = insert_qth_file(std::move(state.registry), std::move(created));
  // `entry` points to the entry itself, which moved into the registry with
  // its owner; cppcheck takes it for a pointer to the moved-from local (a
  // false positive).
  // cppcheck-suppress returnDanglingLifetime
  return entry;
}

// Writes the record to the output it names at `qth`. Returns false when the
// user cancelled, which ends the split.
bool write_to_output(const QsoRecord& record, const char* qth, SplitState& state) {
  QthFile* entry = output_entry(record, qth, state);
  if (entry == nullptr) return false;
  if (state.settings.each) {
    // Two items of one list may name one output, which gets the record once.
    if (std::find(state.written.begin(), state.written.end(), entry) != state.written.end())
      return true;
    state.written.push_back(entry);
  }
  if (state.settings.dry_run) {
    entry->qso_count += 1;
    return true;
  }
  if (!entry->stream || entry->skip) return true;
  if (!ready_for_record(*entry, state.host, state.recent)) return false;
  if (entry->skip) return true;

  OutputStream& out = *entry->stream;
  if (entry->qso_count == 0) out.write(kAdifHeaderLine, 7);
  write_record_fields(out, record);
  out.write(kAdifEndOfRecordLine, 7);
  entry->qso_count += 1;
  return true;
}

// Writes the record to the output of each item of the QTH `list`; a list
// without items leaves the record out.
bool write_to_each(const QsoRecord& record, const char* list, SplitState& state) {
  state.written.clear();
  const bool go_on = for_each_list_item(list, [&](const char* first, const char* last) {
    if (first == last) return true;
    state.item.assign(first, last);
    return write_to_output(record, state.item.c_str(), state);
  });
  if (!go_on) return false;
  if (state.written.empty()) state.left_out += 1;
  return true;
}

// Routes one record to its QTH's file, or to each file of a list QTH.
// Returns false when the user cancelled, which ends the split.
bool handle_record(const QsoRecord* record, SplitState& state) {
  if (record == nullptr) return true;
  const AdifField* qth_field = qth_field_of(*record, state.settings.fields);
  if (qth_field == nullptr) {
    state.left_out += 1;
    return true;
  }
  if (state.settings.each) return write_to_each(*record, qth_field->value, state);
  return write_to_output(*record, qth_field->value, state);
}

// Reads and routes records until the input ends, a status ends the split,
// the user cancels or the host asks the split to stop. `result` is the
// reader's last status.
Ending read_records(AdifReader& input, SplitState& state, std::unique_ptr<QsoRecord>& record,
                    std::string& error_text, AdifStatus& result) {
  std::unique_ptr<char[]> line = std::make_unique<char[]>(kLineSize);
  for (;;) {
    // Asked only here, between the reader's calls, so that a stop never
    // comes in the middle of writing a record.
    if (state.host.stop_requested()) return Ending::kInterrupted;
    result = parse_ADIF(input, record, line.get(), kLineSize, error_text);
    switch (result) {
      case ADIF_LINE_DONE:
        break;
      case ADIF_END_OF_HEADER:
        // Fields before the end of the header describe the log, not a QSO.
        input.release(record);
        break;
      case ADIF_END_OF_RECORD: {
        bool go_on = handle_record(record.get(), state);
        input.release(record);
        if (!go_on) return Ending::kCancelled;
        break;
      }
      case ADIF_END_OF_FILE:
        return Ending::kEndOfInput;
      default:
        std::fprintf(stderr, "ERROR:\tUnrecognized status %0d returned from parse_ADIF()\n",
                     static_cast<int>(result));
        return Ending::kBadLine;
    }
  }
}

// An error line that ends in the input's file name.
void add_path_message(const char* before, const char* input_path, StatusLists& status) {
  char text[kMessageSize];
  format_name_message(text, sizeof text, before, file_name_part(input_path), "");
  add_status_message(2, status, text);
}

// Tells the user what the reading met, so that a cut-short split does not
// look like a complete one.
void report_ending(Ending ending, AdifStatus result, const AdifReader& input,
                   const QsoRecord* record, const std::string& error_text, const SplitState& state,
                   StatusLists& status) {
  const char* input_path = state.input_path;
  switch (ending) {
    case Ending::kBadLine:
      if (result == ADIF_TRUNCATED_LINE && !error_text.empty())
        add_status_message(2, status, error_text.c_str());
      break;
    case Ending::kEndOfInput:
      if (error_text.rfind(kInputEndedInValue, 0) == 0) {
        add_status_message(2, status, error_text.c_str());
      } else {
        if (!error_text.empty()) add_status_message(1, status, error_text.c_str());
        // A QSO whose <EOR> was lost with the end of the log would otherwise
        // vanish without a word. A read error is reported below instead.
        if (record && !input.failed() && qth_field_of(*record, state.settings.fields) != nullptr)
          add_status_message(2, status, "ERROR: Input ended before the <EOR> of the last record");
      }
      break;
    case Ending::kCancelled:
      break;
    case Ending::kInterrupted:
      add_status_message(2, status, "ERROR: Interrupted before the end of the log");
      return;  // a read the interrupt cut short is no read error
    case Ending::kOutOfMemory:
      add_path_message(kOutOfMemoryLine, input_path, status);
      return;
  }
  if (input.failed()) add_path_message("ERROR: Could not read all of ", input_path, status);
}

Ending run_split(AdifReader& input, const char* input_path, const char* output_folder, Host& host,
                 const SplitSettings& settings, StatusLists& status,
                 std::unique_ptr<QthFile>& registry, int64_t& left_out) {
  SplitState state(input_path, output_folder, host, settings, registry);
  std::unique_ptr<QsoRecord> record;
  std::string error_text;
  AdifStatus result = ADIF_END_OF_FILE;
  Ending ending;
  try {
    ending = read_records(input, state, record, error_text, result);
  } catch (const std::bad_alloc&) {
    // A record that never ends (an <EOR> misspelt) grows until memory runs
    // out. The split ends there as at a read error; the record goes first,
    // so that the lines below and the closing pass have memory again.
    record.reset();
    ending = Ending::kOutOfMemory;
  }
  // The reader ends the input itself when a value's text outgrows memory.
  if (input.out_of_memory()) ending = Ending::kOutOfMemory;
  // A Cancel, or a read cut short, that the stop brought about.
  if (host.stop_requested() &&
      (ending == Ending::kCancelled || (ending == Ending::kEndOfInput && input.failed())))
    ending = Ending::kInterrupted;
  report_ending(ending, result, input, record.get(), error_text, state, status);
  left_out = state.left_out;
  return ending;
}

}  // namespace

// Lets `handle` reach a split's files while it runs, and no longer.
class SplitRun {
 public:
  SplitRun(SplitFilesHandle* handle, std::unique_ptr<QthFile>& files) : handle_(handle) {
    if (handle_ != nullptr) handle_->files_ = &files;
  }
  ~SplitRun() {
    if (handle_ != nullptr) handle_->files_ = nullptr;
  }
  SplitRun(const SplitRun&) = delete;
  SplitRun& operator=(const SplitRun&) = delete;

 private:
  SplitFilesHandle* handle_;
};

void SplitFilesHandle::close_now() {
  if (files_ != nullptr) close_qth_streams_now(files_->get());
}

namespace {

// Reads `input` (null when no reader could be made: `result` says why),
// closes the files and adds their lines, as the user reads the outcome.
SplitResult split_with(AdifReader* input, SplitResult result, const char* input_path, Host& host,
                       const char* output_folder, SplitFilesHandle* files,
                       const SplitSettings* chosen) {
  static const SplitSettings kDefaults;
  const SplitSettings& settings = chosen != nullptr ? *chosen : kDefaults;
  std::unique_ptr<QthFile> registry;
  {
    SplitRun run(files, registry);
    if (input != nullptr) {
      result.cancelled = run_split(*input, input_path, output_folder, host, settings, result.status,
                                   registry, result.left_out) == Ending::kCancelled;
    }
    result.files = settings.dry_run ? report_planned_files(registry.get(), result.status)
                                    : close_qth_files(registry.get(), result.status);
  }
  if (result.files == 0) {
    add_status_message(2, result.status,
                       settings.dry_run ? "Would not create any output files!"
                                        : "Did not create any output files!");
  }
  if (settings.report_left_out && result.left_out > 0)
    add_status_message(0, result.status, left_out_line(settings.fields, result.left_out).c_str());
  return result;
}

}  // namespace

SplitResult split_log(AdifReader& input, const char* input_path, Host& host,
                      const char* output_folder, const SplitSettings* settings) {
  return split_with(&input, {}, input_path, host, output_folder, nullptr, settings);
}

SplitResult split_log(std::FILE* input, const char* input_path, Host& host,
                      const char* output_folder, SplitFilesHandle* files,
                      const SplitSettings* settings) {
  SplitResult result;
  std::unique_ptr<AdifReader> reader;
  try {
    reader = std::make_unique<AdifReader>(input);
  } catch (const std::bad_alloc&) {
    add_path_message(kOutOfMemoryLine, input_path, result.status);
  }
  return split_with(reader.get(), std::move(result), input_path, host, output_folder, files,
                    settings);
}
