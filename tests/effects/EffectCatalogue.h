#pragma once
// The names every shipped effect must declare: its techniques and its parameters (textures,
// samplers and values), exactly as the scene classes set them by name. The scene ignores the
// result of each SetX call, so a misspelt name here is the only place it can be caught.
// Add one entry per compiled effect the project ships (keyed by the file the build writes).
#include <string>
#include <vector>

struct EffectCatalogueEntry {
  const char* file;  // compiled effect, as the build names it
  int id;            // its resource id in "common_res.dll" or in the scene document
  std::vector<std::string> techniques;
  std::vector<std::string> parameters;
};

inline const std::vector<EffectCatalogueEntry>& EffectCatalogue() {
  static const std::vector<EffectCatalogueEntry> entries = {
      // Background-copy brush: "offset", then the common brush textures "Mask" and
      // "Background"; no "Scale".
      {"background_copy.fxo", 75, {"Main", "MainFX"},
       {"Background", "Mask", "offset", "BackGroundSampler", "MaskSampler"}},
  };
  return entries;
}
