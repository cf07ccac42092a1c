// Runs the viewer's start-up (LoadDescription and InitScene) on a synthetic run directory in
// the test window's GL context, and undoes it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "synthetic_run_dir.h"

namespace veltrane::test {

class ViewerSceneTest : public ::testing::Test {
 public:
  // The texels of a texture of the window's context, as RGB floats, rows bottom first.
  static std::vector<float> ReadTextureRgb(unsigned int target, unsigned int name, int width, int height);

 protected:
  void SetUp() override;
  void TearDown() override;

  SyntheticScene scene_ = TwelveCenterScene();
  std::unique_ptr<SyntheticRunDir> dir_;
  std::string startup_output_;
};

}  // namespace veltrane::test
