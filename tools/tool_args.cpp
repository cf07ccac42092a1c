#include "tools/tool_args.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

bool ParseIntArg(const char* text, int* value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseRealArg(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  *value = v;
  return true;
}

bool IsHelpArg(const char* word) { return std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0; }

bool HelpRequested(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsHelpArg(argv[i])) return true;
  }
  return false;
}

bool ToolArgReader::Next(ToolArg* arg) {
  if (next_ >= argc_) return false;
  const char* word = argv_[next_++];
  *arg = ToolArg{ToolArg::kPositional, word, nullptr};
  if (IsHelpArg(word)) {
    arg->kind = ToolArg::kHelp;
    return true;
  }
  for (int o = 0; o < option_count_; ++o) {
    if (std::strcmp(word, options_[o].name) != 0) continue;
    if (next_ + options_[o].values > argc_) {
      arg->kind = ToolArg::kMissingValue;
      next_ = argc_;
    } else {
      arg->kind = ToolArg::kOption;
      arg->values = argv_ + next_;
      next_ += options_[o].values;
    }
    return true;
  }
  if (word[0] == '-' && word[1] != '\0') arg->kind = ToolArg::kUnknownOption;
  return true;
}

const char* PathArgProblem(const ToolArg& arg, int* path_count, const char* paths[2]) {
  switch (arg.kind) {
    case ToolArg::kMissingValue:
      return "missing value for ";
    case ToolArg::kUnknownOption:
      return "unknown option ";
    case ToolArg::kPositional:
      if (*path_count >= 2) return "unexpected argument ";
      paths[(*path_count)++] = arg.word;
      return nullptr;
    default:
      return nullptr;
  }
}
