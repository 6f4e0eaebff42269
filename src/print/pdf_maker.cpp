#include "print/pdf_maker.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "print/pdf_font.h"
#include "print/pdf_page.h"
#include "print/pdf_writer.h"
#include "support/platform_files.h"

namespace print::pdf {

namespace {

constexpr double kA4Short = 595.276;  // 210 mm
constexpr double kA4Long = 841.89;    // 297 mm
constexpr size_t kBuffer = 1 << 20;   // written to the file a megabyte at a time

// The drawn pages on their way to the compression: at most 32 at a time, so that a
// long job never waits in memory.
class PageQueue {
 public:
  void push(const DrawnPage& page) {
    std::unique_lock<std::mutex> l(m_);
    room_.wait(l, [&] { return pages_.size() < kPages; });
    pages_.push_back(page);
    // The other side is woken for a handful of pages, not for each one.
    if (pages_.size() == kBatch) ready_.notify_one();
  }
  void close() {
    std::lock_guard<std::mutex> l(m_);
    closed_ = true;
    ready_.notify_one();
  }
  // The next page; false when there is none and none will come.
  bool pop(DrawnPage& page) {
    std::unique_lock<std::mutex> l(m_);
    ready_.wait(l, [&] { return !pages_.empty() || closed_; });
    if (pages_.empty()) return false;
    std::swap(page, pages_.front());
    pages_.pop_front();
    if (pages_.size() == kPages - 1) room_.notify_one();
    if (pages_.empty() && !closed_) ready_.wait(l, [&] { return pages_.size() >= kBatch || closed_; });
    return true;
  }

 private:
  static constexpr size_t kPages = 32, kBatch = 8;
  std::mutex m_;
  std::condition_variable ready_, room_;
  std::deque<DrawnPage> pages_;
  bool closed_ = false;
};

}  // namespace

struct Maker::Impl {
  Font font;
  bool loaded = false;
};

Maker::Maker() : impl_(std::make_unique<Impl>()) {}
Maker::~Maker() = default;

bool Maker::load_font(const std::string& font_file) {
  impl_->loaded = impl_->font.load(font_file);
  return impl_->loaded;
}

Result Maker::make(std::string_view bytes, Language language, int paper, const std::string& path) {
  Result result;
  if (!impl_->loaded) {
    result.status = Result::Status::FontMissing;
    return result;
  }
  PageReader reader(bytes, language);
  Page page;
  if (!reader.next(page)) {
    result.status = Result::Status::Empty;
    return result;
  }
  bool wide = paper == 2;
  PageFrame frame;
  frame.width = wide ? kA4Long : kA4Short;
  frame.height = wide ? kA4Short : kA4Long;

  // Written under a work name and put in place when complete: a job that fails or is
  // broken off leaves no PDF.
  support::platform::ReplacingFile file;
  if (!file.create(path)) {
    result.status = Result::Status::CreateFailed;
    return result;
  }
  std::string buffer;
  buffer.reserve(kBuffer);
  bool wrote = true;
  auto flush = [&] {
    if (wrote && !buffer.empty()) wrote = file.write(buffer) == buffer.size();
    buffer.clear();
  };
  Writer w([&](std::string_view b) {
    buffer += b;
    if (buffer.size() >= kBuffer) flush();
    return wrote;
  });
  int font = impl_->font.write(w);
  const std::string font_resource = "/Font<</F1 " + std::to_string(font) + " 0 R>>";
  // Two stages on the two cores: this thread reads and draws the pages, the other
  // compresses and writes them, in order, with a few pages between them; a page's new
  // forms go before it.
  PageQueue queue;
  std::string forms;  // the forms' names and objects, for the pages' resources
  std::thread writer([&] {
    DrawnPage drawn;
    const std::string form_dict = "/Type/XObject/Subtype/Form/Resources<<" + font_resource + ">>/BBox";
    while (queue.pop(drawn)) {
      for (const Form& f : drawn.forms) {
        int n = w.stream(form_dict + f.bbox, f.content);
        forms += "/X" + std::to_string(f.number) + ' ' + std::to_string(n) + " 0 R";
      }
      w.page(deflate(drawn.content));
    }
  });
  PageDrawer drawer(impl_->font);
  try {
    do {
      queue.push(drawer.draw(page, frame));
    } while (reader.next(page));
  } catch (...) {
    queue.close();
    writer.join();
    throw;
  }
  queue.close();
  writer.join();
  // Every page has the same size, the one font and the forms: the Pages object says so for all.
  std::string shared = "/MediaBox[0 0 ";
  append_number(shared, frame.width);
  shared += ' ';
  append_number(shared, frame.height);
  shared += "]/Resources<<" + font_resource;
  if (!forms.empty()) shared += "/XObject<<" + forms + ">>";
  shared += ">>";
  result.pages = w.pages();
  bool ok = w.finish(shared, "mvirda23");
  flush();
  if (!ok || !wrote || !file.commit()) {
    result.status = Result::Status::CreateFailed;
    return result;
  }
  result.bytes = support::platform::file_size(path);
  return result;
}

Result make_pdf(std::string_view bytes, const Options& options, const std::string& path) {
  // The maker keeps its font: it is read and cut down once.
  static std::mutex lock;
  static Maker maker;
  static std::string loaded;
  std::lock_guard<std::mutex> guard(lock);
  if (loaded != options.font) {
    loaded.clear();
    if (!maker.load_font(options.font)) {
      Result r;
      r.status = Result::Status::FontMissing;
      return r;
    }
    loaded = options.font;
  }
  return maker.make(bytes, options.language, options.paper, path);
}

}  // namespace print::pdf
