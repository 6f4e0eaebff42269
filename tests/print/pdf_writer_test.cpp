// The PDF syntax: numbers as PDF writes them, and a file whose cross-reference table
// points at every object, whose pages tree lists the pages in order and whose failed
// write is reported.
#include "print/pdf_writer.h"

#include <gtest/gtest.h>

#include <regex>

namespace print::pdf {
namespace {

std::string number(double v, int decimals = 3) {
  std::string s;
  append_number(s, v, decimals);
  return s;
}

TEST(PdfWriter, NumbersHaveNoTrailingZerosAndNoMinusZero) {
  EXPECT_EQ(number(12), "12");
  EXPECT_EQ(number(0.5), "0.5");
  EXPECT_EQ(number(-841.89), "-841.89");
  EXPECT_EQ(number(0.1 + 0.2), "0.3");
  EXPECT_EQ(number(-0.0004), "0");
  EXPECT_EQ(number(595.2756), "595.276");
  EXPECT_EQ(number(602.05078125, 4), "602.0508");
  EXPECT_EQ(number(-2408.2, 0), "-2408");
  EXPECT_EQ(number(1e12, 0), "1000000000000");
}

TEST(PdfWriter, TheTableFindsEveryObjectAndThePagesComeInOrder) {
  std::string file;
  Writer w([&](std::string_view b) {
    file += b;
    return true;
  });
  int later = w.reserve();
  int font = w.object("<</Type/Font>>");
  w.stream("/Type/Test", std::string(5000, 'x'));
  w.page(deflate("BT ET"));
  w.page(deflate("BT ET"));
  w.object("(written late)", later);
  ASSERT_TRUE(w.finish("/MediaBox[0 0 1 1]/Resources<</Font<</F1 " + std::to_string(font) + " 0 R>>>>", "test"));
  EXPECT_EQ(w.pages(), 2);

  size_t xref = file.rfind("\nxref\n") + 1;
  EXPECT_EQ(std::stoul(file.substr(file.rfind("startxref\n") + 10)), xref);
  std::smatch m;
  std::string tail = file.substr(xref);
  ASSERT_TRUE(std::regex_search(tail, m, std::regex("xref\n0 (\\d+)\n")));
  int count = std::stoi(m[1]);
  EXPECT_NE(tail.find("/Size " + std::to_string(count) + "/"), std::string::npos);
  for (int n = 1; n < count; ++n) {
    size_t off = std::stoul(file.substr(xref + m.length() + 20 * static_cast<size_t>(n), 10));
    EXPECT_EQ(file.substr(off, std::to_string(n).size() + 6), std::to_string(n) + " 0 obj") << n;
  }
  ASSERT_TRUE(std::regex_search(file, m, std::regex("/Type/Pages/MediaBox\\[0 0 1 1\\].*/Count 2/Kids\\[(\\d+) 0 R (\\d+) 0 R\\]")));
  EXPECT_LT(std::stoi(m[1]), std::stoi(m[2]));
  EXPECT_NE(file.find("/Filter/FlateDecode/Length "), std::string::npos);
  EXPECT_EQ(file.find(std::string(100, 'x')), std::string::npos);  // the stream went compressed

  // A sink that stops taking bytes: the file is reported as failed.
  int taken = 0;
  Writer full([&](std::string_view) { return ++taken < 3; });
  full.page(deflate("BT ET"));
  EXPECT_FALSE(full.finish("", "test"));
}

}  // namespace
}  // namespace print::pdf
