// Code page 852 text. The program keeps every text as CP852 bytes, one byte per
// character, exactly as the tables hold them; conversions happen only at the edges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

// The Unicode code point of a CP852 byte (bytes 0x00-0x7F are ASCII).
char32_t cp852_to_unicode(unsigned char byte);

// The CP852 byte of a code point, or -1 when CP852 has no such character.
int unicode_to_cp852(char32_t cp);

// The CP852 byte of a typed character: its own, or ő ű Ő Ű for the õ û Õ Û of a
// keyboard without the Hungarian long accents; -1 for any other character CP852
// lacks.
int typed_to_cp852(char32_t cp);

// CP852 text to UTF-8, for the terminal and for tools.
std::string cp852_to_utf8(std::string_view cp852);

// UTF-8 text to CP852. Characters CP852 lacks become `replacement`.
// Malformed UTF-8 sequences also become `replacement`.
std::string utf8_to_cp852(std::string_view utf8, char replacement = '?');

// CP852 text to Windows-1250, for XML files and exports. See docs/text.md for the
// characters without a Windows-1250 form.
std::string cp852_to_cp1250(std::string_view cp852);

// Windows-1250 text (files from outside) to CP852.
std::string cp1250_to_cp852(std::string_view cp1250, char replacement = '?');

// Windows-1250 text to UTF-8 and back, exactly, for text that is kept in
// Windows-1250 (the M30 row table) and edited outside. The five bytes without a
// character (0x81 0x83 0x88 0x90 0x98) stand for the control characters of their
// own numbers, so that every text comes back as it went.
std::string cp1250_to_utf8(std::string_view cp1250);
enum class Utf8Fault { None, NotUtf8, NotInCp1250 };
// The first fault stops the conversion; `out` holds the text before it.
Utf8Fault utf8_to_cp1250(std::string_view utf8, std::string& out);

// Upper and lower case under the HU852 rules: a-z and the Hungarian accented
// letters (and ä) change; every other byte stays as it is. Index keys depend on it.
unsigned char hu852_upper(unsigned char c);
unsigned char hu852_lower(unsigned char c);
std::string hu852_upper(std::string_view s);
std::string hu852_lower(std::string_view s);

// True for a letter under HU852 (ASCII letters and the accented letters of CP852),
// as the picture templates "A" and "N" test it.
bool hu852_is_alpha(unsigned char c);

// The HU852 collation (text comparisons and index keys) lives in collation.h.

}  // namespace xbase
