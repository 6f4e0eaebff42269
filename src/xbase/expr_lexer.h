// Splits an expression text into tokens. Keywords and names are case-insensitive;
// names come out upper case. Internal to the evaluator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xbase::expr_detail {

enum class Tok {
  End,
  Number,  // text holds the digits as written; decimals the count after the point
  String,
  Ident,
  True,   // .T. .Y.
  False,  // .F. .N.
  And,    // .AND.
  Or,     // .OR.
  Not,    // .NOT. !
  LParen,
  RParen,
  LBrace,
  RBrace,
  Pipe,
  Comma,
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  Power,  // ** ^
  Eq,     // =
  EqEq,   // ==
  Ne,     // != <> #
  Lt,
  Le,
  Gt,
  Ge,
  Dollar,
  Arrow,   // ->
  Assign,  // :=
};

struct Token {
  Tok kind = Tok::End;
  std::string text;
  double number = 0;
  int decimals = 0;
  std::size_t pos = 0;  // byte offset in the text
};

// The tokens of `text`, ending with Tok::End. Throws ErrorException (kSyntax) on a
// character that cannot start a token or an unterminated string.
std::vector<Token> tokenize(std::string_view text);

}  // namespace xbase::expr_detail
