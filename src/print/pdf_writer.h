// PDF syntax (docs/pdf.md): numbered objects written one after another, streams
// compressed with zlib, the pages tree streamed (each page written as it is made,
// the Pages object with its Kids at the end), the cross-reference table and the
// trailer. Nothing in a file depends on the time or chance: the same objects give
// the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace print::pdf {

// Numbers as PDF writes them: at most `decimals` places, no trailing zeros, "-0"
// never ("12", "0.5", "-841.89").
void append_number(std::string& out, double v, int decimals = 3);

class Writer {
 public:
  // `sink` takes the bytes in order and says false when it could not take them.
  explicit Writer(std::function<bool(std::string_view)> sink);

  // A number for an object written later (a forward reference).
  int reserve();
  // Writes object `n` (from reserve(), or 0: a new number); its number.
  int object(std::string_view body, int n = 0);
  // A stream object, compressed (FlateDecode at a fixed level): `dict` holds the
  // dictionary's entries without "<<", the Length and the filter.
  int stream(std::string_view dict, std::string_view data, int n = 0);
  // The same with data compressed already (FlateDecode).
  int compressed_stream(std::string_view dict, std::string_view deflated, int n = 0);

  // A page drawn by the content stream `deflated` (FlateDecode, compressed already).
  void page(std::string_view deflated);
  int pages() const { return static_cast<int>(kids_.size()); }

  // The Pages object with what its pages share (`shared`: entries such as the
  // MediaBox and the Resources), the catalogue, the document information, the
  // cross-reference table and the trailer. False when any write failed.
  bool finish(std::string_view shared, std::string_view producer);
  bool ok() const { return ok_; }

 private:
  void put(std::string_view bytes);
  void begin_object(int n);

  std::function<bool(std::string_view)> sink_;
  bool ok_ = true;
  uint64_t offset_ = 0;
  std::vector<uint64_t> offsets_;  // by object number - 1; 0: not written yet
  std::vector<int> kids_;
  int pages_object_;
  std::string scratch_;
};

// zlib at the level every stream of the maker uses.
std::string deflate(std::string_view data);

}  // namespace print::pdf
