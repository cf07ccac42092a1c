#include "relight/description_lines.h"

#include <cstring>

bool DescriptionLineReader::Next() {
  word_count_ = 0;
  int length = 0;
  while (length < kMaxPiece) {
    int c = std::getc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      int next = std::getc(file_);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file_);
      }
    }
    piece_[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (length == 0) return false;
  piece_[length] = '\0';
  Split();
  return true;
}

void DescriptionLineReader::Split() {
  // The piece is handled as C text: a NUL byte ends it.
  char* p = piece_;
  while (*p != '\0') {
    while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
    if (*p == '\0') break;
    words_[word_count_++] = p;
    while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n') ++p;
    if (*p != '\0') *p++ = '\0';
  }
}

bool DescriptionLineReader::FirstWordIs(const char* text) const {
  return word_count_ > 0 && std::strcmp(words_[0], text) == 0;
}
