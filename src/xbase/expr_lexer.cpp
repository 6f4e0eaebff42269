#include "xbase/expr_lexer.h"

#include <charconv>

#include "xbase/expr_functions.h"

namespace xbase::expr_detail {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
char up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

[[noreturn]] void syntax_error(std::string_view text) {
  Error e = make_error(gen::kSyntax, 1449, "Syntax error", "&");
  e.args.push_back(Value::str(std::string(text)));
  throw ErrorException(std::move(e));
}

// Operand-ending tokens: after one of them "[" cannot open a string.
bool ends_operand(Tok t) {
  return t == Tok::Number || t == Tok::String || t == Tok::Ident || t == Tok::True ||
         t == Tok::False || t == Tok::RParen || t == Tok::RBrace;
}

// ".T.", ".AND." …: the word between the dots, or Tok::End when it is none of them.
Tok dotted_word(std::string_view word) {
  if (word == "T" || word == "Y") return Tok::True;
  if (word == "F" || word == "N") return Tok::False;
  if (word == "AND") return Tok::And;
  if (word == "OR") return Tok::Or;
  if (word == "NOT") return Tok::Not;
  return Tok::End;
}

}  // namespace

std::vector<Token> tokenize(std::string_view text) {
  std::vector<Token> out;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto push = [&](Tok k, std::size_t pos, std::size_t len) {
    Token t;
    t.kind = k;
    t.pos = pos;
    t.text = std::string(text.substr(pos, len));
    out.push_back(std::move(t));
  };
  while (i < n) {
    char c = text[i];
    std::size_t start = i;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (is_digit(c) || (c == '.' && i + 1 < n && is_digit(text[i + 1]))) {
      while (i < n && is_digit(text[i])) ++i;
      int decimals = 0;
      if (i + 1 < n && text[i] == '.' && is_digit(text[i + 1])) {
        ++i;
        while (i < n && is_digit(text[i])) {
          ++i;
          ++decimals;
        }
      }
      Token t;
      t.kind = Tok::Number;
      t.pos = start;
      t.text = std::string(text.substr(start, i - start));
      t.decimals = decimals;
      std::string digits = t.text[0] == '.' ? "0" + t.text : t.text;
      auto r = std::from_chars(digits.data(), digits.data() + digits.size(), t.number);
      if (r.ec != std::errc()) t.number = 0;  // out of range: the lexer never fails on digits
      out.push_back(std::move(t));
      continue;
    }
    if (is_alpha(c)) {
      while (i < n && (is_alpha(text[i]) || is_digit(text[i]))) ++i;
      Token t;
      t.kind = Tok::Ident;
      t.pos = start;
      for (std::size_t k = start; k < i; ++k) t.text.push_back(up(text[k]));
      out.push_back(std::move(t));
      continue;
    }
    if (c == '\'' || c == '"' || (c == '[' && (out.empty() || !ends_operand(out.back().kind)))) {
      char close = c == '[' ? ']' : c;
      std::size_t end = text.find(close, i + 1);
      if (end == std::string_view::npos) syntax_error(text);
      Token t;
      t.kind = Tok::String;
      t.pos = start;
      t.text = std::string(text.substr(i + 1, end - i - 1));
      out.push_back(std::move(t));
      i = end + 1;
      continue;
    }
    if (c == '.') {
      std::size_t k = i + 1;
      std::string word;
      while (k < n && is_alpha(text[k]) && word.size() < 4) word.push_back(up(text[k++]));
      Tok kind = (k < n && text[k] == '.') ? dotted_word(word) : Tok::End;
      if (kind == Tok::End) syntax_error(text);
      push(kind, start, k + 1 - start);
      i = k + 1;
      continue;
    }
    auto next_is = [&](char d) { return i + 1 < n && text[i + 1] == d; };
    switch (c) {
      case '(': push(Tok::LParen, i++, 1); continue;
      case ')': push(Tok::RParen, i++, 1); continue;
      case '{': push(Tok::LBrace, i++, 1); continue;
      case '}': push(Tok::RBrace, i++, 1); continue;
      case '|': push(Tok::Pipe, i++, 1); continue;
      case ',': push(Tok::Comma, i++, 1); continue;
      case '+': push(Tok::Plus, i++, 1); continue;
      case '%': push(Tok::Percent, i++, 1); continue;
      case '^': push(Tok::Power, i++, 1); continue;
      case '$': push(Tok::Dollar, i++, 1); continue;
      case '#': push(Tok::Ne, i++, 1); continue;
      case '/': push(Tok::Slash, i++, 1); continue;
      case '-':
        if (next_is('>')) { push(Tok::Arrow, i, 2); i += 2; } else { push(Tok::Minus, i++, 1); }
        continue;
      case '*':
        if (next_is('*')) { push(Tok::Power, i, 2); i += 2; } else { push(Tok::Star, i++, 1); }
        continue;
      case '=':
        if (next_is('=')) { push(Tok::EqEq, i, 2); i += 2; } else { push(Tok::Eq, i++, 1); }
        continue;
      case '!':
        if (next_is('=')) { push(Tok::Ne, i, 2); i += 2; } else { push(Tok::Not, i++, 1); }
        continue;
      case '<':
        if (next_is('=')) { push(Tok::Le, i, 2); i += 2; }
        else if (next_is('>')) { push(Tok::Ne, i, 2); i += 2; }
        else { push(Tok::Lt, i++, 1); }
        continue;
      case '>':
        if (next_is('=')) { push(Tok::Ge, i, 2); i += 2; } else { push(Tok::Gt, i++, 1); }
        continue;
      case ':':
        if (next_is('=')) { push(Tok::Assign, i, 2); i += 2; continue; }
        syntax_error(text);
      default:
        syntax_error(text);
    }
  }
  Token end;
  end.kind = Tok::End;
  end.pos = n;
  out.push_back(std::move(end));
  return out;
}

}  // namespace xbase::expr_detail
