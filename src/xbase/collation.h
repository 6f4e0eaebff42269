// Key order and key bytes of the NTX indexes; the same order for text comparisons.
//
// Index keys are fixed-length byte strings. They, and texts compared by the operators,
// are ordered byte by byte through the HU852 weight table, a permutation of the 256 byte
// values (no second level and no digraphs: CS, SZ, ZS sort as separate letters). Every
// capital sorts before every small letter, which is why name keys are upper-cased
// (HUNGORD) before they are indexed.
//
// A value becomes key bytes by its type: C the text padded with blanks or cut to the key
// size; N the STR() text with leading blanks as "0" and negative numbers turned so that
// they sort below the positive ones; D "YYYYMMDD" (8 blanks for the empty date); L "T"/"F".
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "xbase/date.h"
#include "xbase/value.h"

namespace xbase::collation {

// weight()[b] is the rank of byte b in the key order.
const std::array<unsigned char, 256>& weight();
// The inverse permutation: unweight()[w] is the byte of rank w.
const std::array<unsigned char, 256>& unweight();

// -1, 0, 1: a against b byte by byte by weight; a shorter prefix sorts first.
int compare(std::string_view a, std::string_view b);

// Key bytes mapped into weight space, where plain memcmp gives the key order.
std::string to_weights(std::string_view key);
std::string from_weights(std::string_view weights);
void to_weights_inplace(char* bytes, std::size_t n);

// Key bytes of a value for a key of `size` bytes with `decimals` decimals (N keys).
std::string key_char(std::string_view text, std::size_t size);
std::string key_num(double value, std::size_t size, int decimals);
std::string key_date(Date d);
std::string key_logical(bool b);
// By the value's type; nil and code blocks give `size` blanks.
std::string key_of(const Value& v, std::size_t size, int decimals);

// The inverse of key_num for keys this program wrote (used by check routines and tools).
double num_of_key(std::string_view key);

}  // namespace xbase::collation
