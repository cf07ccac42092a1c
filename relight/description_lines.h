// Reading a description file line by line: each read takes at most 2047 characters (a longer
// line comes in several pieces, each treated as a line of its own), a CR directly before an LF
// is dropped, and the piece is split into words at blanks, tabs and line breaks.
#pragma once

#include <cstdio>

class DescriptionLineReader {
 public:
  static constexpr int kMaxPiece = 2047;
  static constexpr int kMaxWords = (kMaxPiece + 1) / 2;

  explicit DescriptionLineReader(FILE* file) : file_(file) {}
  DescriptionLineReader(const DescriptionLineReader&) = delete;
  DescriptionLineReader& operator=(const DescriptionLineReader&) = delete;

  // Reads and splits the next piece. False at the end of the file (or on a read error, which
  // failed() then reports); the words of the last piece are gone either way.
  bool Next();
  bool failed() const { return std::ferror(file_) != 0; }

  int word_count() const { return word_count_; }
  // Word i (below word_count()), NUL-terminated; valid until the next call of Next.
  const char* word(int i) const { return words_[i]; }
  // Whether the piece's first word is the given text.
  bool FirstWordIs(const char* text) const;

 private:
  void Split();

  FILE* file_;
  char piece_[kMaxPiece + 1] = {};
  char* words_[kMaxWords] = {};
  int word_count_ = 0;
};
