// The command lines of veltrane-tool's subcommands: walking the words, and numbers (the whole
// word must be the number).
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// A decimal integer within int's range.
bool ParseIntArg(const char* text, int* value);

// A finite or infinite real as strtod reads it, not out of double's range.
bool ParseRealArg(const char* text, double* value);

// A usage error of subcommand NAME in three lines on standard error: "veltrane-tool NAME: WHY"
// (then ": WHAT" unless WHAT is empty), the first line of what print_usage writes (its
// synopsis), and "Try 'veltrane-tool NAME --help' for every option.". Returns 2, the exit
// status of usage errors.
int ToolUsageError(const char* name, const char* why, const char* what, void (*print_usage)(FILE*));

// The same with the usage text itself.
int ToolUsageErrorText(const char* name, const std::string& message, const char* usage);

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

// The command line of a subcommand NAME IN OUT [options] (pack, unpack): help, the options and
// exactly two paths. on_option gets each known option with its values and returns nullptr, or
// the start of the message for a bad value ("chunk size must be ..., not "). Returns -1 when
// the command should go on with paths filled; otherwise the exit status: 0 after the usage on
// standard output for help, 2 after the usage error (ToolUsageErrorText) on standard error.
int ReadInOutArgs(int argc, char** argv, const char* name, const char* usage, const ToolOption* options,
                  int option_count, const std::function<const char*(const ToolArg&)>& on_option,
                  const char* paths[2]);
