#pragma once
// The name of an output file as varnel-split's --name gives it: text, and
// the placeholders {LOG} (the input's name cut at its first dot), {QTH} (the
// record's QTH) and {FIELD} for any field of the record (its value, empty
// when the record lacks it). Names in braces are matched without regard to
// case, as ADIF matches field names. "{LOG}_{QTH}.adi" gives today's names.
#include <cstddef>
#include <string>
#include <vector>

#include "adif/record.h"
#include "split/host.h"

// Whether `name` (upper-cased) can be an ADIF field name: printable ASCII
// without ',', ':', '<', '>', '{' or '}', neither starting nor ending in a
// blank, and not empty.
bool is_field_name(const std::string& name);

// Upper-cases a to z in `text`, as the reader upper-cases field names.
std::string upper_cased(std::string text);

class NameTemplate {
 public:
  // The default: "{LOG}_{QTH}.adi".
  NameTemplate();

  // Reads `text` into this template. False, leaving it as it was, when the
  // text is empty, holds a path separator or another byte no file name may
  // hold, an unclosed '{', a '}' without its '{', or a name in braces that
  // cannot be a field name; `error` then says which in one line.
  bool parse(const char* text, std::string& error);

  // True when the template gives today's names, "{LOG}_{QTH}.adi": the
  // split then keys its outputs by QTH alone and builds no name per record.
  bool is_default() const { return is_default_; }

  // Sets `out` to the name for a record of the log `log` at `qth`, every
  // value as it stands: records with the same such name share a file.
  void render_raw(const std::string& log, const char* qth, const QsoRecord& record,
                  std::string& out) const;

  // Appends the file name itself to `out`: as render_raw, but each value
  // from the record (the QTH and the fields) made safe as output_path makes
  // a QTH safe (split/paths.h), so that no value can lead out of the folder,
  // and then put in the code page of the host's paths (host.h). Dots and
  // blanks at the end become '_': Windows would drop them.
  void append_safe(const std::string& log, const char* qth, const QsoRecord& record,
                   std::string& out, Host& host) const;

 private:
  enum class Kind { kText, kLog, kQth, kField };
  struct Part {
    Kind kind;
    std::string text;  // the text itself, or the field's name
  };
  // Appends the name to `out`, each value from the record (the QTH's or the
  // field's, "" when absent) as `append_value(out, value)` puts it.
  template <class AppendValue>
  void append_name(const std::string& log, const char* qth, const QsoRecord& record,
                   std::string& out, AppendValue append_value) const;

  std::vector<Part> parts_;
  bool is_default_ = true;
};
