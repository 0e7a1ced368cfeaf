#include "tools/effectc/Lexer.h"

#include <cctype>

namespace effectc {

const Token& Lexer::Peek() {
  if (!peeked_) {
    peek_ = Scan();
    peeked_ = true;
  }
  return peek_;
}

Token Lexer::Next() {
  Peek();
  peeked_ = false;
  return peek_;
}

void Lexer::SkipSpaceAndComments() {
  while (pos_ < src_.size()) {
    char c = src_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++pos_;
    } else if (src_.compare(pos_, 2, "//") == 0) {
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
    } else if (src_.compare(pos_, 2, "/*") == 0) {
      int start = line_;
      pos_ += 2;
      while (pos_ < src_.size() && src_.compare(pos_, 2, "*/") != 0) {
        if (src_[pos_] == '\n') ++line_;
        ++pos_;
      }
      if (pos_ >= src_.size()) throw CompileError(start, "unterminated comment");
      pos_ += 2;
    } else {
      break;
    }
  }
}

Token Lexer::Scan() {
  SkipSpaceAndComments();
  Token t;
  t.line = line_;
  if (pos_ >= src_.size()) return t;
  char c = src_[pos_];
  auto isIdent = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; };
  if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
    size_t s = pos_;
    while (pos_ < src_.size() && isIdent(src_[pos_])) ++pos_;
    t.kind = TokenKind::Identifier;
    t.text = src_.substr(s, pos_ - s);
  } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && pos_ + 1 < src_.size() &&
                                                              std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])))) {
    size_t s = pos_;
    if (src_.compare(pos_, 2, "0x") == 0 || src_.compare(pos_, 2, "0X") == 0) {
      pos_ += 2;
      while (pos_ < src_.size() && std::isxdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    } else {
      while (pos_ < src_.size() && (std::isdigit(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '.')) ++pos_;
      if (pos_ < src_.size() && (src_[pos_] == 'e' || src_[pos_] == 'E')) {
        ++pos_;
        if (pos_ < src_.size() && (src_[pos_] == '+' || src_[pos_] == '-')) ++pos_;
        while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
      }
      if (pos_ < src_.size() && (src_[pos_] == 'f' || src_[pos_] == 'F')) ++pos_;
    }
    if (pos_ < src_.size() && isIdent(src_[pos_]))
      throw CompileError(line_, "malformed number '" + src_.substr(s, pos_ - s + 1) + "'");
    t.kind = TokenKind::Number;
    t.text = src_.substr(s, pos_ - s);
  } else if (c == '"') {
    ++pos_;
    while (pos_ < src_.size() && src_[pos_] != '"') {
      if (src_[pos_] == '\n') throw CompileError(t.line, "unterminated string");
      t.text += src_[pos_++];
    }
    if (pos_ >= src_.size()) throw CompileError(t.line, "unterminated string");
    ++pos_;
    t.kind = TokenKind::String;
  } else if (std::string("{}<>=;,:[]|-()").find(c) != std::string::npos) {
    t.kind = TokenKind::Punct;
    t.text = std::string(1, c);
    ++pos_;
  } else {
    throw CompileError(line_, std::string("unexpected character '") + c + "'");
  }
  return t;
}

std::string Lexer::RawBlock(int& bodyLine) {
  if (peeked_) throw CompileError(peek_.line, "internal: raw block after look-ahead");
  bodyLine = line_;
  size_t s = pos_;
  int start = line_;
  while (pos_ < src_.size() && src_[pos_] != '}') {
    if (src_.compare(pos_, 2, "//") == 0 || src_[pos_] == ';') {
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      continue;
    }
    if (src_[pos_] == '{') throw CompileError(line_, "'{' inside shader code");
    if (src_[pos_] == '\n') ++line_;
    ++pos_;
  }
  if (pos_ >= src_.size()) throw CompileError(start, "shader code has no closing '}'");
  std::string body = src_.substr(s, pos_ - s);
  ++pos_;
  return body;
}

}  // namespace effectc
