#include "app/light_choice.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "codec/environment_file.h"
#include "common/direction.h"
#include "relight/environment_light.h"
#include "relight/gl/environment_relight_pass.h"
#include "relight/globals.h"
#include "relight/matrix.h"

const char kEnvironmentFolder[] = "environment";

namespace {

// The radius of the light disc that the data set's transfer was fitted to (the baker's).
constexpr double kDataSetDiscRadiusDeg = 20.0;

struct LightEntry {
  std::string name;  // "seed", "sky" or the image's path
  std::unique_ptr<veltrane::EnvironmentLight> light;  // made when first shown
  std::string description;
};

struct LightState {
  std::vector<LightEntry> entries;
  bool listed = false;
  size_t cursor = 0;  // the entry "e" last stepped to
  size_t shown = 0;   // the entry shown
  double turn_offset = 0.0;
  std::unique_ptr<veltrane::LobeGrid> grid;
  std::vector<float> weights;
};

LightState& State() {
  static LightState state;
  return state;
}

std::vector<std::string> EnvironmentFiles() {
  std::vector<std::string> names;
  DIR* dir = opendir(kEnvironmentFolder);
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] != '.' && veltrane::IsEnvironmentFileName(name)) names.push_back(std::string(kEnvironmentFolder) + "/" + name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void ListLights(LightState* s) {
  if (s->listed) return;
  s->listed = true;
  s->entries.push_back({"seed", nullptr, "the seed's moving light"});
  s->entries.push_back({"sky", nullptr, ""});
  for (const std::string& file : EnvironmentFiles()) s->entries.push_back({file, nullptr, ""});
}

// The lobes of the loaded data set: the centres in the eye frame, and the light-eye
// transform's rotation part that carries a light-frame direction there.
const veltrane::LobeGrid* Grid(LightState* s) {
  if (s->grid != nullptr) return s->grid.get();
  veltrane::SrbfLobes lobes;
  for (int i = 0; i < srbf_center_count && i < G_SRBF_center_dir.cols; ++i) {
    lobes.centres.push_back(
        {G_SRBF_center_dir.data[0][i], G_SRBF_center_dir.data[1][i], G_SRBF_center_dir.data[2][i]});
  }
  lobes.sigma = srbf_spread;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) lobes.to_centre_frame[3 * r + c] = light_eye_transform.data[r][c];
  }
  lobes.disc_radius = kDataSetDiscRadiusDeg * veltrane::kRadiansPerDegree;
  auto grid = std::make_unique<veltrane::LobeGrid>();
  if (!grid->Build(lobes)) return nullptr;
  s->grid = std::move(grid);
  s->weights.assign(3 * static_cast<size_t>(srbf_center_count), 0.0f);
  return s->grid.get();
}

// Makes the entry's light if it is not made yet. False, with a message, when it cannot be.
bool MakeLight(LightState* s, LightEntry* entry) {
  if (entry->name == "seed" || entry->light != nullptr) return true;
  const veltrane::LobeGrid* grid = Grid(s);
  if (grid == nullptr || !PrepareEnvironmentRelightProgram()) {
    std::fprintf(stderr, "light: cannot relight under %s here\n", entry->name.c_str());
    return false;
  }
  auto light = std::make_unique<veltrane::EnvironmentLight>();
  if (entry->name == "sky") {
    light->SetSky(*grid);
    entry->description = "the built-in sky (Preetham, turbidity " + std::to_string(static_cast<int>(light->turbidity())) +
                         "), its sun crossing it once a turn";
  } else {
    veltrane::EnvironmentFileResult file;
    std::string why;
    if (!veltrane::ReadEnvironmentFile(entry->name, &file, &why)) {
      std::fprintf(stderr, "light: %s\n", why.c_str());
      return false;
    }
    if (file.broken_pixels > 0) {
      std::fprintf(stderr, "light: %s: %lld broken pixels (negative or not finite) set to 0\n", entry->name.c_str(),
                   file.broken_pixels);
    }
    if (!light->SetImage(file.image, *grid)) {
      std::fprintf(stderr, "light: %s: an empty image\n", entry->name.c_str());
      return false;
    }
    entry->description = entry->name + " (" + file.format + ", " + std::to_string(file.source_width) + " x " +
                         std::to_string(file.source_height) + "), turning about the vertical axis";
  }
  char exposure[64];
  std::snprintf(exposure, sizeof(exposure), ", exposure %.4g", light->exposure());
  entry->description += exposure;
  entry->light = std::move(light);
  return true;
}

void Show(LightState* s, size_t index) {
  s->shown = index;
  std::printf("light: %s\n", s->entries[index].description.c_str());
  std::fflush(stdout);
}

}  // namespace

void StepLight() {
  LightState& s = State();
  ListLights(&s);
  s.cursor = (s.cursor + 1) % s.entries.size();
  if (MakeLight(&s, &s.entries[s.cursor])) Show(&s, s.cursor);
}

bool ChooseLight(const std::string& name, double turn_deg) {
  LightState& s = State();
  ListLights(&s);
  size_t index = s.entries.size();
  for (size_t i = 0; i < s.entries.size(); ++i) {
    if (s.entries[i].name == name) index = i;
  }
  if (index == s.entries.size()) s.entries.push_back({name, nullptr, ""});
  if (!MakeLight(&s, &s.entries[index])) return false;
  s.cursor = index;
  s.turn_offset = turn_deg;
  Show(&s, index);
  return true;
}

bool RelightChosenLight() {
  LightState& s = State();
  if (!s.listed || s.entries[s.shown].light == nullptr) return false;
  const veltrane::EnvironmentLight& light = *s.entries[s.shown].light;
  const double phase = s.turn_offset + light_azimuth;
  light.Weights(phase, s.weights.data());
  const float exposure = static_cast<float>(light.exposure());
  for (float& w : s.weights) w *= exposure;
  ShaderCgRelightWeights(s.weights.data());
  return true;
}

std::string ChosenLightName() {
  LightState& s = State();
  return s.listed ? s.entries[s.shown].name : "seed";
}

void ResetLightChoice() {
  State() = LightState();
  ForgetEnvironmentRelightProgram();
}
