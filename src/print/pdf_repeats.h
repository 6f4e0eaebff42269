// What a job's pages repeat: the lines of text met before and the blocks of such
// lines (a certificate's labels, frames and headings between its amounts) met before.
// A block met a second time becomes a form of the PDF (docs/pdf.md, "Repeated
// blocks"), drawn once in the file and named by every later page that holds it.
//
// The memory is bounded: the lines and blocks met are kept as hashes, forgotten all
// at once when there are too many; a form is kept by its whole key, and no new form is
// made once the forms hold too much. A hash that collides only makes a block a form
// candidate too early; a form is always found by its whole key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace print::pdf {

class Repeats {
 public:
  // Whether the line of text `key` was met before; it is met from now on.
  bool line_met(std::string_view key);

  struct Block {
    int form = 0;        // the form that draws the block, 1 upwards; 0: none
    bool made = false;   // the form is made for this block now, by this call
  };
  // The form of a block of met lines `key`: the one it has, a new one when the block
  // was met before (and the forms have room), else none (the block is met from now on).
  Block block(const std::string& key);

  int forms() const { return static_cast<int>(forms_.size()); }

 private:
  static constexpr size_t kLines = 1 << 18, kBlocks = 1 << 16;
  static constexpr size_t kFormBytes = 16 << 20;
  std::unordered_set<size_t> lines_, blocks_;
  std::unordered_map<std::string, int> forms_;
  size_t form_bytes_ = 0;
};

}  // namespace print::pdf
