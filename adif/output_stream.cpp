#include "adif/output_stream.h"

OutputStream::OutputStream(std::FILE* file, std::size_t buffer_size)
    : file_(file), buffer_(std::make_unique<char[]>(buffer_size)) {
  // This stream does its own buffering; the runtime's would only copy again.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
  pos_ = buffer_.get();
  end_ = pos_ + buffer_size;
}

OutputStream::OutputStream(std::string& sink)
    : sink_(&sink), buffer_(std::make_unique<char[]>(kBufferSize)) {
  pos_ = buffer_.get();
  end_ = pos_ + kBufferSize;
}

OutputStream::~OutputStream() { close(); }

void OutputStream::flush() {
  auto pending = static_cast<std::size_t>(pos_ - buffer_.get());
  pos_ = buffer_.get();
  if (pending == 0 || closed_) return;
  if (sink_ != nullptr) {
    sink_->append(buffer_.get(), pending);
  } else if (std::fwrite(buffer_.get(), 1, pending, file_) != pending) {
    ok_ = false;
  }
}

void OutputStream::write_slow(const char* bytes, std::size_t count) {
  while (count > 0) {
    if (pos_ == end_) flush();
    auto room = static_cast<std::size_t>(end_ - pos_);
    std::size_t take = count < room ? count : room;
    std::memcpy(pos_, bytes, take);
    pos_ += take;
    bytes += take;
    count -= take;
  }
}

bool OutputStream::close() {
  if (closed_) return ok_;
  flush();
  closed_ = true;
  if (file_ != nullptr) {
    // A failed flush is not always reported again by fclose, so each step
    // is checked on its own.
    if (std::fflush(file_) != 0) ok_ = false;
    if (std::ferror(file_)) ok_ = false;
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
  }
  return ok_;
}
