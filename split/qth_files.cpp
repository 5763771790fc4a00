#include "split/qth_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "split/paths.h"

namespace {

// A rover log names a handful of QTHs, whose files get a buffer big enough to
// write in few large pieces. A log of thousands of QTHs must not cost that
// much memory per file: past the first ones, each file gets a small buffer,
// which grows when that file fills it (a split by date writes each day's
// file in turn, and hundreds of them).
constexpr std::size_t kRoomyFiles = 32;
constexpr std::size_t kSmallBuffer = 4096;

std::unique_ptr<QthFile> skew(std::unique_ptr<QthFile> t) {
  if (t->left && t->left->level == t->level) {
    std::unique_ptr<QthFile> l = std::move(t->left);
    t->left = std::move(l->right);
    l->right = std::move(t);
    return l;
  }
  return t;
}

std::unique_ptr<QthFile> split(std::unique_ptr<QthFile> t) {
  if (t->right && t->right->right && t->right->right->level == t->level) {
    std::unique_ptr<QthFile> r = std::move(t->right);
    t->right = std::move(r->left);
    r->left = std::move(t);
    r->level += 1;
    return r;
  }
  return t;
}

// The open-failure box: OK skips the QTH for the rest of the split; Cancel,
// or a box closed any other way, ends the split.
// True on OK, which skips the entry's QTH.
bool skip_after_open_failure(QthFile& entry, Host& host) {
  // The file name shows whole, however deep the folder: it says which QTH
  // is left out.
  char text[kMessageSize];
  format_path_message(text, sizeof text, "Could not open output file ", entry.path.c_str(), "\n");
  if (host.ask(text, "Error", Buttons::kOkCancel, Icon::kError) != Answer::kOk) return false;
  entry.skip = 1;
  return true;
}

std::unique_ptr<QthFile> report_open_failure(std::unique_ptr<QthFile> entry, Host& host) {
  if (!skip_after_open_failure(*entry, host)) return nullptr;
  return entry;
}

}  // namespace

std::string OpenPaths::key(const std::string& path) {
#ifdef _WIN32
  // Windows file names ignore letter case: ME and Me name the same file.
  // The second byte of a double-byte character is no letter, even where its
  // value is one's.
  std::string folded = path;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    char& c = folded[i];
    if (lead_byte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return folded;
#else
  return path;
#endif
}

bool OpenPaths::contains(const std::string& path) const { return keys_.count(key(path)) != 0; }

void OpenPaths::add(const std::string& path) { keys_.insert(key(path)); }

QthFile* find_qth_file(QthFile* root, const char* qth) {
  while (root != nullptr) {
    int order = std::strcmp(qth, root->qth.c_str());
    if (order == 0) return root;
    root = order < 0 ? root->left.get() : root->right.get();
  }
  return nullptr;
}

std::unique_ptr<QthFile> create_qth_file(const char* qth, const char* input_path, Host& host,
                                         OpenPaths& open_paths, const char* output_folder) {
  std::string path =
      output_path_for_name(input_path, host.file_name_text(qth_name_text(qth)), output_folder);
  return create_named_file(qth, std::move(path), host, open_paths);
}

std::unique_ptr<QthFile> create_named_file(const char* key, std::string path, Host& host,
                                           OpenPaths& open_paths) {
  auto entry = std::make_unique<QthFile>();
  entry->qth = key;
  entry->path = std::move(path);

  // Another QTH of this split already writes this file: opening it again
  // would empty what was written, so it can only fail.
  if (open_paths.contains(entry->path)) return report_open_failure(std::move(entry), host);

  // Ask before the open, so that No or Cancel leave an existing file untouched.
  if (host.output_exists(entry->path.c_str())) {
    char text[kMessageSize];
    format_name_message(text, sizeof text, "Are you sure you want to overwrite ",
                        file_name_part(entry->path.c_str()), "");
    switch (host.ask(text, "Warning", Buttons::kYesNoCancel, Icon::kQuestion)) {
      case Answer::kYes:
        break;
      case Answer::kNo:
        entry->skip = 1;
        return entry;
      default:
        return nullptr;
    }
  }

  std::unique_ptr<OutputSink> file = host.open_output(entry->path.c_str());
  if (file == nullptr) return report_open_failure(std::move(entry), host);
  entry->stream = std::make_unique<OutputStream>(
      std::move(file), open_paths.size() < kRoomyFiles ? OutputStream::kBufferSize : kSmallBuffer,
      open_paths.growth_room());
  open_paths.add(entry->path);
  return entry;
}

bool ready_qth_file(QthFile& entry, Host& host, RecentOutputs& recent) {
  if (entry.stream->suspended()) {
    recent.make_room(host.most_open_outputs());
    if (!entry.stream->resume()) return skip_after_open_failure(entry, host);
  }
  recent.use(entry);
  return true;
}

std::unique_ptr<QthFile> insert_qth_file(std::unique_ptr<QthFile> root,
                                         std::unique_ptr<QthFile> entry) {
  if (!root) return entry;
  if (std::strcmp(entry->qth.c_str(), root->qth.c_str()) < 0) {
    root->left = insert_qth_file(std::move(root->left), std::move(entry));
  } else {
    root->right = insert_qth_file(std::move(root->right), std::move(entry));
  }
  return split(skew(std::move(root)));
}

void add_file_line(StatusLists& status, int32_t severity, const char* before,
                   const QthFile& entry) {
  char counted[64];
  std::snprintf(counted, sizeof counted, before, entry.qso_count);
  char text[kMessageSize];
  format_name_message(text, sizeof text, counted, file_name_part(entry.path.c_str()), "");
  add_status_message(severity, status, text);
}

int32_t close_qth_files(QthFile* root, StatusLists& status) {
  if (root == nullptr) return 0;
  int32_t closed = close_qth_files(root->left.get(), status);
  if (root->stream) {
    if (root->stream->close()) {
      add_file_line(status, 0, "Wrote %4d QSOs to ", *root);
    } else {
      add_file_line(status, 2, "ERROR: Could not write all %d QSOs to ", *root);
    }
    root->stream.reset();
    closed += 1;
  }
  return closed + close_qth_files(root->right.get(), status);
}

void close_qth_streams_now(QthFile* root) {
  if (root == nullptr) return;
  close_qth_streams_now(root->left.get());
  if (root->stream) root->stream->close();
  close_qth_streams_now(root->right.get());
}
