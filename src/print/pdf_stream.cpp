#include "print/pdf_stream.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

namespace print::pdf {

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kCr = 0x0D, kLf = 0x0A, kFf = 0x0C;
constexpr unsigned char kSi = 0x0F, kDc2 = 0x12;

// What the printer has in force.
struct State {
  bool elite = false;      // EPSON: 12 cpi
  bool condensed = false;  // EPSON: condensed
  double hp_cpi = 10;      // HP: the pitch as the job set it
  bool dbl = false;        // EPSON double width
  bool bold = false;
  bool underline = false;
  double pitch = 12;       // points per line

  double cell(Language lang) const {
    double cpi = lang == Language::Hp ? hp_cpi
                 : elite              ? (condensed ? 20.0 : 12.0)
                                      : (condensed ? 72.0 / 4.2 : 10.0);
    double w = 72.0 / cpi;
    return dbl ? 2 * w : w;
  }
};

}  // namespace

class PageReader::Impl {
 public:
  Impl(std::string_view bytes, Language lang) : b_(bytes), lang_(lang) {}

  // Reads on to the end of the next page; false when there is none.
  bool next(Page& out) {
    while (!done_ && pages_.empty()) step();
    if (pages_.empty()) return false;
    out = std::move(pages_.front());
    pages_.erase(pages_.begin());
    return true;
  }

 private:
  void step() {
    if (i_ >= b_.size()) {
      end_page(false);
      done_ = true;
      return;
    }
    unsigned char c = static_cast<unsigned char>(b_[i_++]);
    if (c == kEsc) {
      lang_ == Language::Hp ? hp_sequence() : epson_sequence();
    } else if (c == kCr) {
      x_ = 0;
    } else if (c == kLf) {
      top_ += st_.pitch;
    } else if (c == kFf) {
      end_page(true);
    } else if (c == kSi && lang_ == Language::Epson) {
      st_.condensed = true;
    } else if (c == kDc2 && lang_ == Language::Epson) {
      st_.condensed = false;
    } else if (printable(c)) {
      // The text up to the next control byte at once.
      size_t from = i_ - 1;
      while (i_ < b_.size() && printable(static_cast<unsigned char>(b_[i_]))) ++i_;
      put(b_.substr(from, i_ - from));
    }
  }

  static bool printable(unsigned char c) { return c >= 0x20 && c != 0x7F; }

 private:
  void put(std::string_view text) {
    double cell = st_.cell(lang_);
    // Characters right after the last ones, in the same style, join their run.
    Run* r = open_run_ ? &page_.runs.back() : nullptr;
    if (!r || x_ != next_x_ || r->top != top_ || r->cell != cell || r->bold != st_.bold ||
        r->underline != st_.underline || r->pitch != st_.pitch) {
      page_.runs.push_back(Run{x_, top_, cell, st_.pitch, st_.bold, st_.underline, {}});
      r = &page_.runs.back();
      open_run_ = true;
    }
    r->text += text;
    // Blanks and the no-break space leave no mark.
    size_t marked = text.find_last_not_of(std::string_view(" \xFF", 2));
    if (marked != std::string_view::npos) {
      printed_ = true;
      page_.width = std::max(page_.width, x_ + cell * static_cast<double>(marked + 1));
      page_.height = std::max(page_.height, top_ + st_.pitch);
    }
    x_ += cell * static_cast<double>(text.size());
    next_x_ = x_;
  }

  void end_page(bool form_feed) {
    if (form_feed || printed_) pages_.push_back(std::move(page_));
    page_ = Page{};
    open_run_ = false;
    printed_ = false;
    x_ = 0;
    top_ = 0;
  }

  bool next(unsigned char& c) {
    if (i_ >= b_.size()) return false;
    c = static_cast<unsigned char>(b_[i_++]);
    return true;
  }

  void epson_sequence() {
    unsigned char c;
    if (!next(c)) return;
    switch (c) {
      case '@': st_ = State{}; break;
      case 'M': st_.elite = true; break;
      case 'P': st_.elite = false; break;
      case 'E': st_.bold = true; break;
      case 'F': st_.bold = false; break;
      case '0': st_.pitch = 9; break;
      case '2': st_.pitch = 12; break;
      case kSi: st_.condensed = true; break;
      case '-':
      case 'W': {
        unsigned char n;
        if (!next(n)) return;
        bool on = n == 1 || n == '1';
        (c == '-' ? st_.underline : st_.dbl) = on;
        break;
      }
      default: break;  // unknown: ESC and one byte
    }
  }

  // PCL: ESC, a parameterised character (0x21-0x2F), an optional group character
  // (0x60-0x7E), then value and parameter pairs; a lower-case parameter continues
  // the command, an upper-case one (0x40-0x5E) ends it.
  void hp_sequence() {
    unsigned char c;
    if (!next(c)) return;
    if (c == 'E') {
      st_ = State{};
      return;
    }
    if (c < 0x21 || c > 0x2F) return;  // ESC and one byte
    unsigned char param_char = c;
    unsigned char group = 0;
    if (i_ < b_.size()) {
      unsigned char g = static_cast<unsigned char>(b_[i_]);
      if (g >= 0x60 && g <= 0x7E) {
        group = g;
        ++i_;
      }
    }
    for (;;) {
      std::string value;
      unsigned char p = 0;
      for (;;) {
        if (!next(p)) return;
        if ((p >= '0' && p <= '9') || p == '.' || p == '+' || p == '-') {
          value += static_cast<char>(p);
          continue;
        }
        break;
      }
      bool last = p >= 0x40 && p <= 0x5E;
      bool more = p >= 0x60 && p <= 0x7E;
      if (!last && !more) {
        // Not a PCL parameter: skip on to the end of the sequence.
        while (next(p) && !(p >= 0x40 && p <= 0x5E)) {
        }
        return;
      }
      hp_command(param_char, group, value, static_cast<unsigned char>(last ? p : p - 0x20));
      if (last) return;
    }
  }

  void hp_command(unsigned char param_char, unsigned char group, const std::string& value,
                  unsigned char command) {
    double v = value.empty() ? 0 : std::atof(value.c_str());
    if (param_char == '(' && group == 's') {
      if (command == 'H' && v > 0) st_.hp_cpi = v;
      if (command == 'B') st_.bold = v > 0;
    } else if (param_char == '&' && group == 'd') {
      if (command == 'D') st_.underline = true;
      if (command == '@') st_.underline = false;
    } else if (param_char == '&' && group == 'l') {
      if (command == 'D' && v > 0) st_.pitch = 72.0 / v;
      if (command == 'H' && value == "0") end_page(true);
    }
  }

  std::string_view b_;
  Language lang_;
  size_t i_ = 0;
  State st_;
  Page page_;
  bool printed_ = false;
  bool open_run_ = false;
  bool done_ = false;
  double next_x_ = 0;
  double x_ = 0;
  double top_ = 0;
  std::vector<Page> pages_;
};

PageReader::PageReader(std::string_view bytes, Language language)
    : impl_(std::make_unique<Impl>(bytes, language)) {}
PageReader::~PageReader() = default;
bool PageReader::next(Page& page) { return impl_->next(page); }

std::vector<Page> read_pages(std::string_view bytes, Language language) {
  std::vector<Page> pages;
  PageReader reader(bytes, language);
  Page p;
  while (reader.next(p)) pages.push_back(std::move(p));
  return pages;
}

}  // namespace print::pdf
