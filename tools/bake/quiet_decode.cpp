#include "tools/bake/quiet_decode.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "codec/dct_image.h"
#include "common/fatal.h"

namespace veltrane {
namespace {

struct ReadAborted {};

[[noreturn]] void AbortRead(int) { throw ReadAborted{}; }

// "[DctImage::Load]: text" and "veltrane: stdin: text" read as "text".
std::string WithoutPrefix(const std::string& line) {
  if (!line.empty() && line[0] == '[') {
    const size_t end = line.find("]: ");
    if (end != std::string::npos) return line.substr(end + 3);
  }
  const size_t stdin_at = line.find(": stdin: ");
  if (stdin_at != std::string::npos && line.find(' ') > stdin_at) return line.substr(stdin_at + 9);
  return line;
}

}  // namespace

bool DecodeQuietly(const std::function<void()>& read, DecodeFaults* faults) {
  *faults = DecodeFaults();
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  const int saved = capture != nullptr ? dup(STDERR_FILENO) : -1;
  if (saved < 0 || dup2(fileno(capture), STDERR_FILENO) < 0) {
    // Nothing to capture into: read with the codec's own messages.
    if (saved >= 0) close(saved);
    if (capture != nullptr) std::fclose(capture);
    read();
    return true;
  }
  const FatalHandler previous = SetFatalHandler(AbortRead);
  try {
    read();
  } catch (const ReadAborted&) {
    faults->fatal = true;
  }
  SetFatalHandler(previous);
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);

  std::string text;
  std::rewind(capture);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, n);
  std::fclose(capture);

  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line.find("Warning") != std::string::npos) {
      std::fprintf(stderr, "%s\n", line.c_str());
      continue;
    }
    if (faults->lines++ == 0) faults->first = WithoutPrefix(line);
  }
  return !faults->fatal && faults->lines == 0;
}

std::string DescribeDamage(const std::string& path, const DecodeFaults& faults) {
  std::string text = path + " is damaged";
  if (!faults.first.empty()) {
    text += " (" + faults.first;
    if (faults.lines > 1) text += ", and " + std::to_string(faults.lines - 1) + " more fault lines";
    text += ")";
  }
  return text;
}

bool DecodeDctFileQuietly(const std::string& path, HeapPtr<float>* plane, int* width, int* height,
                          std::string* damage) {
  damage->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::unique_ptr<DctImage> image(new DctImage);
  float* decoded = nullptr;
  *width = *height = 0;
  DecodeFaults faults;
  const bool clean = DecodeQuietly(
      [&] {
        image->Load(f);
        image->Decode(&decoded, width, height);
      },
      &faults);
  std::fclose(f);
  plane->reset(decoded);
  if (!clean) {
    *damage = DescribeDamage(path, faults);
    return false;
  }
  return decoded != nullptr;
}

}  // namespace veltrane
