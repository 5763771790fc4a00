#include "adif/output_stream.h"

OutputStream::OutputStream(std::unique_ptr<OutputSink> file, std::size_t buffer_size,
                           std::size_t* growth_room)
    : file_(std::move(file)), buffer_size_(buffer_size), growth_room_(growth_room) {
  allocate_buffer();
}

OutputStream::OutputStream(std::string& sink) : sink_(&sink) { allocate_buffer(); }

OutputStream::~OutputStream() { close(); }

void OutputStream::allocate_buffer() {
  buffer_ = std::make_unique<char[]>(buffer_size_);
  pos_ = buffer_.get();
  end_ = pos_ + buffer_size_;
}

void OutputStream::flush() {
  auto pending = static_cast<std::size_t>(pos_ - buffer_.get());
  pos_ = buffer_.get();
  if (pending == 0 || closed_) return;
  if (sink_ != nullptr) {
    sink_->append(buffer_.get(), pending);
  } else if (!file_->write(buffer_.get(), pending)) {
    ok_ = false;
  }
}

void OutputStream::make_room() {
  flush();
  if (growth_room_ == nullptr || buffer_size_ >= kBufferSize || closed_) return;
  const std::size_t growth = kBufferSize - buffer_size_;
  if (*growth_room_ < growth) return;
  *growth_room_ -= growth;
  buffer_size_ = kBufferSize;
  allocate_buffer();  // the old buffer was empty
}

void OutputStream::write_slow(const char* bytes, std::size_t count) {
  while (count > 0) {
    if (pos_ == end_) make_room();
    auto room = static_cast<std::size_t>(end_ - pos_);
    std::size_t take = count < room ? count : room;
    std::memcpy(pos_, bytes, take);
    pos_ += take;
    bytes += take;
    count -= take;
  }
}

void OutputStream::suspend() {
  if (closed_ || suspended_ || file_ == nullptr) return;
  flush();
  if (!file_->close()) ok_ = false;
  // A write while suspended would be a caller's fault; with no room at all
  // it could only reach reserve's null.
  buffer_.reset();
  pos_ = end_ = nullptr;
  suspended_ = true;
}

bool OutputStream::resume() {
  if (!suspended_) return true;
  // Closed meanwhile (close_now): what comes is dropped, as on any closed
  // stream, and needs a buffer to be dropped from.
  if (!closed_ && !file_->reopen()) return false;
  allocate_buffer();
  suspended_ = false;
  return true;
}

bool OutputStream::close() {
  if (closed_) return ok_;
  if (!suspended_) flush();
  closed_ = true;
  if (file_ != nullptr) {
    // A suspended stream let its file go already, and said then how it went.
    if (!suspended_ && !file_->close()) ok_ = false;
    file_.reset();
  }
  return ok_;
}
