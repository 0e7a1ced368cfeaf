#pragma once
// The names every shipped effect must declare: its techniques and its parameters (textures,
// samplers and values) with their types, exactly as the scene classes set them by name. The
// scene ignores the result of each SetX call, so a misspelt name or a float where two floats
// are set is only caught here. Add one entry per compiled effect the project ships (keyed by
// the file the build writes).
#include <string>
#include <utility>
#include <vector>

struct EffectCatalogueEntry {
  const char* file;  // compiled effect, as the build names it
  int id;            // its resource id in "common_res.dll" or in the scene document
  std::vector<std::string> techniques;
  // Name and declared type ("float", "float2", "float4x4", "texture", "sampler2D", ...).
  std::vector<std::pair<std::string, std::string>> parameters;
};

inline const std::vector<EffectCatalogueEntry>& EffectCatalogue() {
  static const std::vector<EffectCatalogueEntry> entries = {
      // Background-copy brush: its own "offset", then what every brush sets ("Scale", "Mask",
      // "Background"; technique "MainFX" for scene effects, else "Main"), and the samplers
      // of the two textures under the names the other brush effects give them.
      {"background_copy.fxo",
       75,
       {"Main", "MainFX"},
       {{"offset", "float2"},
        {"Scale", "float2"},
        {"Mask", "texture"},
        {"Background", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"}}},
  };
  return entries;
}
