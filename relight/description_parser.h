// The parser behind RelightDescription::Read: keyword lines and the three blocks.
//
// Lines are scanned in keyword position: words are tried as keywords from the first on, a word
// that begins with "#" ends the line, and the words after a keyword are its values. Block lines
// are data: no keyword search and no comments; lines without words are skipped in blocks as
// everywhere else.
//
// Malformed input gets a message on standard error that begins "[RelightDescription::Read]: "
// and a bounded, defined effect:
// - a keyword line without all its values is ignored (SRBF_CENTER_BEGIN without its scheme
//   word reads its block with the scheme of an unknown word, 3);
// - a BASE_PATH, ENCODED_FILE or reference-file name longer than its buffer is not stored
//   (the field keeps its value; a reference-file name is stored empty);
// - a negative block count is taken as 0;
// - a block line with too few values reads the missing ones as 0.0;
// - a block cut short by its end line or by the end of the file keeps the entries read, and its
//   count says how many; a light-eye block with fewer than four rows fails like one without its
//   end line. Tables grow as block lines arrive, so a huge count allocates nothing in advance.
#pragma once

#include <cstdint>
#include <cstdio>

#include "relight/description.h"
#include "relight/description_lines.h"

class DescriptionParser {
 public:
  DescriptionParser(RelightDescription& record, FILE* file) : d_(record), lines_(file) {}
  DescriptionParser(const DescriptionParser&) = delete;
  DescriptionParser& operator=(const DescriptionParser&) = delete;

  // Parses the whole file; returns the result of RelightDescription::Read.
  int Run();

 private:
  static constexpr int kContinue = 0;

  // Handles keyword k whose values are the words from first_value on. Returns kContinue or a
  // final result.
  int Dispatch(int k, int first_value);
  bool HasValues(int k, int first_value, int needed) const;
  void SetText(char* field, const char* keyword, const char* value, bool append_slash);
  int ReadCenterBlock(int first_value);
  int ReadLightEyeBlock();
  int ReadRefFileBlock(int first_value);

  // Reads up to count block lines, handing each to add(index); then checks the end line.
  // Returns kContinue, or kReadNoMemory when add fails.
  template <typename AddLine>
  int ReadBlock(const char* begin_word, const char* end_word, const char* too_many, int32_t count,
                AddLine add);
  // Next line that has words; false at the end of the file.
  bool NextBlockLine();
  // Reads the words of a block line from index first on as reals (missing ones 0.0).
  void ReadReals(const char* block, int first, float* out, int count);

  RelightDescription& d_;
  DescriptionLineReader lines_;
};
