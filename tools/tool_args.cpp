#include "tools/tool_args.h"

#include <cerrno>
#include <climits>
#include <cstdio>
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

int ReadInOutArgs(int argc, char** argv, const char* name, const char* usage, const ToolOption* options,
                  int option_count, const std::function<const char*(const ToolArg&)>& on_option,
                  const char* paths[2]) {
  auto usage_error = [&](const char* problem, const char* what) {
    return ToolUsageErrorText(name, std::string(problem) + what, usage);
  };
  int path_count = 0;
  ToolArgReader args(argc, argv, options, option_count);
  for (ToolArg arg; args.Next(&arg);) {
    switch (arg.kind) {
      case ToolArg::kHelp:
        std::fputs(usage, stdout);
        return 0;
      case ToolArg::kMissingValue:
        return usage_error("missing value for ", arg.word);
      case ToolArg::kUnknownOption:
        return usage_error("unknown option ", arg.word);
      case ToolArg::kPositional:
        if (path_count == 2) return usage_error("unexpected argument ", arg.word);
        paths[path_count++] = arg.word;
        break;
      case ToolArg::kOption:
        if (const char* problem = on_option(arg)) return usage_error(problem, arg.values[0]);
        break;
    }
  }
  if (path_count < 2) return usage_error("missing ", path_count == 0 ? "IN and OUT" : "OUT");
  return -1;
}

int ToolUsageErrorText(const char* name, const std::string& message, const char* usage) {
  const char* end = std::strchr(usage, '\n');
  const int synopsis = end != nullptr ? static_cast<int>(end - usage) : static_cast<int>(std::strlen(usage));
  std::fprintf(stderr, "veltrane-tool %s: %s\n%.*s\nTry 'veltrane-tool %s --help' for every option.\n", name,
               message.c_str(), synopsis, usage, name);
  return 2;
}

int ToolUsageError(const char* name, const char* why, const char* what, void (*print_usage)(FILE*)) {
  std::string message = why;
  if (what[0] != '\0') message += std::string(": ") + what;
  // The usage text is only written through a stream; take it from one in memory.
  char* text = nullptr;
  size_t size = 0;
  FILE* memory = open_memstream(&text, &size);
  if (memory != nullptr) {
    print_usage(memory);
    std::fclose(memory);
  }
  const int status = ToolUsageErrorText(name, message, text != nullptr ? text : "");
  std::free(text);
  return status;
}
