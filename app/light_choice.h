// The lights the viewer can show: the seed's moving directional light (the default), the
// built-in sky with its sun, and every .hdr and .exr image in the run directory's
// environment/ folder (in name order), each turning about the vertical axis. "e" steps through
// them and a console line names each. Whatever moves (the seed's light, the sun, the turning
// environment) follows the seed light's azimuth, so "a", "x" and "z" pause it and change its
// speed; a full turn of the azimuth is one turn of an environment and one day of the sky.
#pragma once

#include <string>

// The folder of environment images, relative to the run directory.
extern const char kEnvironmentFolder[];  // "environment"

// Steps to the next light ("e"). A light that cannot be made (an unreadable image) is named with
// the reason on standard error and the light shown before stays; the next step goes on past it.
void StepLight();

// Chooses a light by name: "seed", "sky" or an image file; turn_deg is added to the phase
// (the turn of an environment, the time of day of the sky: 0 sunrise, 180 noon, 360 sunset).
// False, with a message on standard error, when the light cannot be made.
bool ChooseLight(const std::string& name, double turn_deg);

// Under a light other than the seed's: relights every light-map target for it and returns
// true. Under the seed's light: does nothing and returns false (Display then runs the seed's
// pass, unchanged).
bool RelightChosenLight();

// The name of the light shown, as its console line gives it.
std::string ChosenLightName();

// Back to the state before the first key: the seed's light, nothing listed or made (for a
// start-up made anew in the same process, as the tests do).
void ResetLightChoice();
