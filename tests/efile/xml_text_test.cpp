// The texts of an XML file: the cleaned name of the file names, the escapes, the
// value texts by type.
#include <gtest/gtest.h>

#include "efile/xml_text.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace efile {
namespace {

std::string cp(std::string_view utf8) { return xbase::utf8_to_cp852(utf8); }
std::string utf(std::string_view cp852) { return xbase::cp852_to_utf8(cp852); }
// A Windows-1250 text as UTF-8, to compare with readable literals.
std::string from1250(std::string_view w) { return utf(xbase::cp1250_to_cp852(w)); }

TEST(CleanedName, CutAfterTheDotsGoAndBeforeTheMarksGo) {
  EXPECT_EQ(utf(CEGNEVTISZ(cp("Dr. Nagy Éva Mária Erzsébet"))), "Dr_Nagy_Éva_Már");
  EXPECT_EQ(utf(CEGNEVTISZ(cp("Kiss & Nagy"))), "Kiss_és_Nagy");
  // The 15 characters are counted before slashes, quotes and apostrophes are
  // removed, so the name comes out shorter.
  EXPECT_EQ(utf(CEGNEVTISZ(cp("O'Hara \"Öcsi\" Éva"))), "OHara_Öcsi_É");
  EXPECT_EQ(utf(CEGNEVTISZ(cp("Kis/Nagy\\Kft Bt. Rt"))), "KisNagyKft_Bt");
  // "&" becomes two letters after the cut: the name may exceed 15.
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += "és";
  EXPECT_EQ(utf(CEGNEVTISZ(std::string(16, '&'))), fifteen);
  EXPECT_EQ(CEGNEVTISZ(std::string(40, ' ')), "");
  EXPECT_EQ(utf(CEGNEVTISZ(cp("Ab Cd   "))), "Ab_Cd");  // trailing blanks only
}

TEST(CleanedName, FileNamesKeepEveryDigitOfTheNumber) {
  EXPECT_EQ(utf(xml_file_name("23", 1, cp("Kovács János"))), "23M30_0001_Kovács_János.xml");
  EXPECT_EQ(utf(xml_file_name("23", 9999, cp("Kis Éva"))), "23M30_9999_Kis_Éva.xml");
  EXPECT_EQ(utf(xml_file_name("23", 12345, cp("Kis Éva"))), "23M30_12345_Kis_Éva.xml");
  // Linux refuses only "/" and NUL: ":" and "?" stay.
  EXPECT_EQ(utf(xml_file_name("23", 2, cp("Ki:ss? Éva"))), "23M30_0002_Ki:ss?_Éva.xml");
}

TEST(Escapes, TheFiveCharactersInOrderAndNoControlCharacters) {
  EXPECT_EQ(XMLSZUR("Kiss & <Nagy> \"Bt\" 'x'"), "Kiss &amp; &lt;Nagy&gt; &quot;Bt&quot; &apos;x&apos;");
  // An "&" is escaped once, whatever follows it.
  EXPECT_EQ(XMLSZUR("&amp; &lt;"), "&amp;amp; &amp;lt;");
  EXPECT_EQ(XMLSZUR(std::string("a\x01" "b\tc\r\nd\x1f" "e\x7f", 11)), "abcde\x7f");
  EXPECT_EQ(XMLSZUR(std::string("a\0b", 3)), "ab");
}

TEST(ValueTexts, TextTrimmedEscapedAndInWindows1250) {
  EXPECT_EQ(from1250(text_value(cp("  Kiss & Társa <Kft>   "))), "Kiss &amp; Társa &lt;Kft&gt;");
  EXPECT_EQ(from1250(text_value(cp("Árvíztűrő tükörfúrógép ŐŰőű"))), "Árvíztűrő tükörfúrógép ŐŰőű");
  // The box-drawing rules become "-" and "=".
  EXPECT_EQ(text_value(cp("a─b═c")), "a-b=c");
  EXPECT_EQ(text_value("\x01\x02   "), "");
  EXPECT_EQ(text_value(cp("12345678242  ")), "12345678242");
}

TEST(ValueTexts, NumbersEmptyForZeroUnlessZeroIsWritten) {
  EXPECT_EQ(number_value(0), "");
  EXPECT_EQ(number_value(0, true), "0");  // the advance of row 65
  EXPECT_EQ(number_value(-2000), "-2000");
  EXPECT_EQ(number_value(1234567890), "1234567890");
  EXPECT_EQ(number_value(-999999999), "-999999999");
  EXPECT_EQ(number_value(100000, true), "100000");
}

TEST(ValueTexts, DatesAsEightDigitsOrNothing) {
  EXPECT_EQ(date_value(xbase::Date::from_ymd(1980, 5, 17)), "19800517");
  EXPECT_EQ(date_value(xbase::Date::from_ymd(2024, 1, 31)), "20240131");
  EXPECT_EQ(date_value(xbase::Date()), "");
}

}  // namespace
}  // namespace efile
