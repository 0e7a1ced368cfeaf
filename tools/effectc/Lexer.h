#pragma once
// Splits an effect source into tokens, with the line of each, and hands shader bodies over
// as raw text.
#include <string>

#include "tools/effectc/EffectSource.h"

namespace effectc {

enum class TokenKind { End, Identifier, Number, String, Punct };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string source) : src_(std::move(source)) {}

  const Token& Peek();
  Token Next();
  // Reads the raw text after an opening brace that was just taken, up to the matching
  // closing brace (which is consumed). bodyLine receives the line the text starts on.
  std::string RawBlock(int& bodyLine);

 private:
  void SkipSpaceAndComments();
  Token Scan();

  std::string src_;
  size_t pos_ = 0;
  int line_ = 1;
  bool peeked_ = false;
  Token peek_;
};

}  // namespace effectc
