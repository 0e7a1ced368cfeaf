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
      // Heat haze of the flame light: one technique (its pass "P0" is drawn by
      // HeatHazeEffect in EffectDrawTest.cpp), the bump picture's drift and scale, and
      // "stenght" as spelt.
      {"heat_haze.fxo",
       63,
       {"BumpmapDistortLow2"},
       {{"SceneTex", "texture"},
        {"Bumpmap", "texture"},
        {"stenght", "float"},
        {"Offset", "float2"},
        {"bump_scale", "float2"},
        {"BackGroundSampler", "sampler2D"},
        {"FractalSampler", "sampler2D"}}},
      // Light brush: no "Scale".
      {"light_pulse.fxo",
       76,
       {"Main", "MainFX"},
       {{"Background", "texture"},
        {"Mask", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"},
        {"multiplier", "float"}}},
      // Wave brush: no "Scale".
      {"waves.fxo",
       77,
       {"Main", "MainFX"},
       {{"Background", "texture"},
        {"Mask", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"},
        {"direction", "float2"},
        {"direction_n", "float2"},
        {"frequency", "float"},
        {"amplitude", "float"},
        {"time", "float"}}},
      // Fire: the brush's "Main" and the flame light's "AsEffect"; no "Scale".
      {"fire.fxo",
       92,
       {"Main", "AsEffect"},
       {{"Background", "texture"},
        {"Mask", "texture"},
        {"Pattern", "texture"},
        {"Noise", "texture"},
        {"MaskSampler", "sampler2D"},
        {"BackGroundSampler", "sampler2D"},
        {"PatternSampler", "sampler2D"},
        {"NoiseSampler", "sampler2D"},
        {"c11", "float2"},
        {"c12", "float2"},
        {"c13", "float2"},
        {"ColorK1", "float3"},
        {"ColorK2", "float3"},
        {"Brightness", "float"},
        {"Density", "float"},
        {"WorldViewProj", "float4x4"},
        {"ViewProj", "float4x4"},
        {"bg_scale_factor", "float2"}}},
      // Pattern brush: its "Pattern" and tiling values ("scale" in lower case, distinct
      // from the brush's "Scale"), then what every brush sets.
      {"pattern.fxo",
       78,
       {"Main", "MainFX"},
       {{"Pattern", "texture"},
        {"scale", "float2"},
        {"offset", "float2"},
        {"coord_transf", "float4"},
        {"Scale", "float2"},
        {"Mask", "texture"},
        {"Background", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"},
        {"PatternSampler", "sampler2D"}}},
      // Underwater effect of the underwater light, drawn as a brush without a mask.
      {"underwater.fxo",
       88,
       {"Main", "MainFX"},
       {{"frequency", "float2"},
        {"amplitude", "float"},
        {"time", "float"},
        {"Scale", "float2"},
        {"Mask", "texture"},
        {"Background", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"}}},
      // Water brush: "BampTrans" as spelt.
      {"water.fxo",
       90,
       {"Main", "MainFX"},
       {{"BumpMap", "texture"},
        {"BampTrans", "float4"},
        {"P1", "float3"},
        {"P2", "float3"},
        {"Time", "float"},
        {"Direction1", "float2"},
        {"Direction2", "float2"},
        {"Shadows", "float"},
        {"Vhalf", "float3"},
        {"Color", "float3"},
        {"Scale", "float2"},
        {"Mask", "texture"},
        {"Background", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"},
        {"BumpSampler", "sampler2D"}}},
      // Move brush.
      {"move.fxo",
       91,
       {"Main", "MainFX"},
       {{"Direction", "float2"},
        {"Scale", "float2"},
        {"Mask", "texture"},
        {"Background", "texture"},
        {"BackGroundSampler", "sampler2D"},
        {"MaskSampler", "sampler2D"}}},
  };
  return entries;
}
