// The command lines of veltrane-tool's subcommands: walking the words, and numbers (the whole
// word must be the number).
#pragma once

// A decimal integer within int's range.
bool ParseIntArg(const char* text, int* value);

// A finite or infinite real as strtod reads it, not out of double's range.
bool ParseRealArg(const char* text, double* value);

// "--help" or "-h".
bool IsHelpArg(const char* word);

// True when any word after argv[0] is "--help" or "-h".
bool HelpRequested(int argc, char** argv);

// An option that the command line names with its values in the following words.
struct ToolOption {
  const char* name;  // e.g. "--chunk-size"
  int values;        // how many words follow it
};

// One step through a subcommand's arguments (argv[1] onwards), in order.
struct ToolArg {
  enum Kind {
    kHelp,           // "--help" or "-h"
    kOption,         // a known option; values holds its words
    kPositional,     // a word that is not an option ("-" alone counts as one)
    kUnknownOption,  // a word that begins with '-' and is no known option
    kMissingValue,   // a known option with fewer words after it than it takes
  };
  Kind kind;
  const char* word;      // the word itself (the option's name for kOption)
  char* const* values;   // kOption: the option's values
};

// Walks argv[1 .. argc) of a subcommand: Next fills *arg with the next word or option and
// returns false at the end. The words of an option's values are taken as they are, even
// when they begin with '-'.
class ToolArgReader {
 public:
  ToolArgReader(int argc, char** argv, const ToolOption* options, int option_count)
      : argc_(argc), argv_(argv), options_(options), option_count_(option_count) {}
  bool Next(ToolArg* arg);

 private:
  int argc_;
  char** argv_;
  const ToolOption* options_;
  int option_count_;
  int next_ = 1;
};

// For commands of the form NAME IN OUT [options]: takes a positional word into paths (at most
// two) and returns nullptr, or returns the start of the usage message for a word that is not
// a known option ("missing value for ", "unknown option ", "unexpected argument "), to be
// followed by the word.
const char* PathArgProblem(const ToolArg& arg, int* path_count, const char* paths[2]);
