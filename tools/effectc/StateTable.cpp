#include "tools/effectc/StateTable.h"

#include <cctype>
#include <cstring>
#include <iterator>

namespace effectc {
namespace {

using K = ValueKind;

// Order of the loader's table: D3DRENDERSTATETYPE order with Wrap8..15 moved up after
// Wrap0..7.
const StateInfo kRenderStates[] = {
    {"ZEnable", 0, K::ZBuffer}, {"FillMode", 1, K::Fill}, {"ShadeMode", 2, K::Shade},
    {"ZWriteEnable", 3, K::Bool}, {"AlphaTestEnable", 4, K::Bool}, {"LastPixel", 5, K::Bool},
    {"SrcBlend", 6, K::Blend}, {"DestBlend", 7, K::Blend}, {"CullMode", 8, K::Cull}, {"ZFunc", 9, K::Cmp},
    {"AlphaRef", 10, K::Dword}, {"AlphaFunc", 11, K::Cmp}, {"DitherEnable", 12, K::Bool},
    {"AlphaBlendEnable", 13, K::Bool}, {"FogEnable", 14, K::Bool}, {"SpecularEnable", 15, K::Bool},
    {"FogColor", 16, K::Dword}, {"FogTableMode", 17, K::Fog}, {"FogStart", 18, K::Float}, {"FogEnd", 19, K::Float},
    {"FogDensity", 20, K::Float}, {"RangeFogEnable", 21, K::Bool}, {"StencilEnable", 22, K::Bool},
    {"StencilFail", 23, K::StencilOp}, {"StencilZFail", 24, K::StencilOp}, {"StencilPass", 25, K::StencilOp},
    {"StencilFunc", 26, K::Cmp}, {"StencilRef", 27, K::Dword}, {"StencilMask", 28, K::Dword},
    {"StencilWriteMask", 29, K::Dword}, {"TextureFactor", 30, K::Dword},
    {"Wrap0", 31, K::Dword}, {"Wrap1", 32, K::Dword}, {"Wrap2", 33, K::Dword}, {"Wrap3", 34, K::Dword},
    {"Wrap4", 35, K::Dword}, {"Wrap5", 36, K::Dword}, {"Wrap6", 37, K::Dword}, {"Wrap7", 38, K::Dword},
    {"Wrap8", 39, K::Dword}, {"Wrap9", 40, K::Dword}, {"Wrap10", 41, K::Dword}, {"Wrap11", 42, K::Dword},
    {"Wrap12", 43, K::Dword}, {"Wrap13", 44, K::Dword}, {"Wrap14", 45, K::Dword}, {"Wrap15", 46, K::Dword},
    {"Clipping", 47, K::Bool}, {"Lighting", 48, K::Bool}, {"Ambient", 49, K::Dword},
    {"FogVertexMode", 50, K::Fog}, {"ColorVertex", 51, K::Bool}, {"LocalViewer", 52, K::Bool},
    {"NormalizeNormals", 53, K::Bool}, {"DiffuseMaterialSource", 54, K::MaterialSource},
    {"SpecularMaterialSource", 55, K::MaterialSource}, {"AmbientMaterialSource", 56, K::MaterialSource},
    {"EmissiveMaterialSource", 57, K::MaterialSource}, {"VertexBlend", 58, K::Dword},
    {"ClipPlaneEnable", 59, K::Dword}, {"PointSize", 60, K::Float}, {"PointSize_Min", 61, K::Float},
    {"PointSpriteEnable", 62, K::Bool}, {"PointScaleEnable", 63, K::Bool}, {"PointScale_A", 64, K::Float},
    {"PointScale_B", 65, K::Float}, {"PointScale_C", 66, K::Float}, {"MultiSampleAntialias", 67, K::Bool},
    {"MultiSampleMask", 68, K::Dword}, {"PatchEdgeStyle", 69, K::Dword}, {"DebugMonitorToken", 70, K::Dword},
    {"PointSize_Max", 71, K::Float}, {"IndexedVertexBlendEnable", 72, K::Bool},
    {"ColorWriteEnable", 73, K::ColorWrite}, {"TweenFactor", 74, K::Float}, {"BlendOp", 75, K::BlendOp},
    {"PositionDegree", 76, K::Dword}, {"NormalDegree", 77, K::Dword}, {"ScissorTestEnable", 78, K::Bool},
    {"SlopeScaleDepthBias", 79, K::Float}, {"AntialiasedLineEnable", 80, K::Bool},
    {"MinTessellationLevel", 81, K::Float}, {"MaxTessellationLevel", 82, K::Float},
    {"AdaptiveTess_X", 83, K::Float}, {"AdaptiveTess_Y", 84, K::Float}, {"AdaptiveTess_Z", 85, K::Float},
    {"AdaptiveTess_W", 86, K::Float}, {"EnableAdaptiveTessellation", 87, K::Bool},
    {"TwoSidedStencilMode", 88, K::Bool}, {"CCW_StencilFail", 89, K::StencilOp},
    {"CCW_StencilZFail", 90, K::StencilOp}, {"CCW_StencilPass", 91, K::StencilOp},
    {"CCW_StencilFunc", 92, K::Cmp}, {"ColorWriteEnable1", 93, K::ColorWrite},
    {"ColorWriteEnable2", 94, K::ColorWrite}, {"ColorWriteEnable3", 95, K::ColorWrite},
    {"BlendFactor", 96, K::Dword}, {"SRGBWriteEnable", 97, K::Bool}, {"DepthBias", 98, K::Float},
    {"SeparateAlphaBlendEnable", 99, K::Bool}, {"SrcBlendAlpha", 100, K::Blend},
    {"DestBlendAlpha", 101, K::Blend}, {"BlendOpAlpha", 102, K::BlendOp},
};
static_assert(std::size(kRenderStates) == 103);

const StateInfo kSamplerStates[] = {
    {"AddressU", 165, K::Address}, {"AddressV", 166, K::Address}, {"AddressW", 167, K::Address},
    {"BorderColor", 168, K::Dword}, {"MagFilter", 169, K::Filter}, {"MinFilter", 170, K::Filter},
    {"MipFilter", 171, K::Filter}, {"MipMapLodBias", 172, K::Float}, {"MaxMipLevel", 173, K::Dword},
    {"MaxAnisotropy", 174, K::Dword}, {"SRGBTexture", 175, K::Bool}, {"ElementIndex", 176, K::Dword},
    {"DMapOffset", 177, K::Dword},
};

struct EnumName {
  ValueKind kind;
  const char* name;
  uint32_t value;
};

const EnumName kEnums[] = {
    {K::Bool, "false", 0}, {K::Bool, "true", 1},
    {K::ZBuffer, "false", 0}, {K::ZBuffer, "true", 1}, {K::ZBuffer, "UseW", 2},
    {K::Fill, "Point", 1}, {K::Fill, "Wireframe", 2}, {K::Fill, "Solid", 3},
    {K::Shade, "Flat", 1}, {K::Shade, "Gouraud", 2}, {K::Shade, "Phong", 3},
    {K::Blend, "Zero", 1}, {K::Blend, "One", 2}, {K::Blend, "SrcColor", 3}, {K::Blend, "InvSrcColor", 4},
    {K::Blend, "SrcAlpha", 5}, {K::Blend, "InvSrcAlpha", 6}, {K::Blend, "DestAlpha", 7},
    {K::Blend, "InvDestAlpha", 8}, {K::Blend, "DestColor", 9}, {K::Blend, "InvDestColor", 10},
    {K::Blend, "SrcAlphaSat", 11}, {K::Blend, "BothSrcAlpha", 12}, {K::Blend, "BothInvSrcAlpha", 13},
    {K::Blend, "BlendFactor", 14}, {K::Blend, "InvBlendFactor", 15},
    {K::BlendOp, "Add", 1}, {K::BlendOp, "Subtract", 2}, {K::BlendOp, "RevSubtract", 3}, {K::BlendOp, "Min", 4},
    {K::BlendOp, "Max", 5},
    {K::Cmp, "Never", 1}, {K::Cmp, "Less", 2}, {K::Cmp, "Equal", 3}, {K::Cmp, "LessEqual", 4},
    {K::Cmp, "Greater", 5}, {K::Cmp, "NotEqual", 6}, {K::Cmp, "GreaterEqual", 7}, {K::Cmp, "Always", 8},
    {K::Cull, "None", 1}, {K::Cull, "CW", 2}, {K::Cull, "CCW", 3},
    {K::Fog, "None", 0}, {K::Fog, "Exp", 1}, {K::Fog, "Exp2", 2}, {K::Fog, "Linear", 3},
    {K::StencilOp, "Keep", 1}, {K::StencilOp, "Zero", 2}, {K::StencilOp, "Replace", 3},
    {K::StencilOp, "IncrSat", 4}, {K::StencilOp, "DecrSat", 5}, {K::StencilOp, "Invert", 6},
    {K::StencilOp, "Incr", 7}, {K::StencilOp, "Decr", 8},
    {K::MaterialSource, "Material", 0}, {K::MaterialSource, "Color1", 1}, {K::MaterialSource, "Color2", 2},
    {K::ColorWrite, "Red", 1}, {K::ColorWrite, "Green", 2}, {K::ColorWrite, "Blue", 4}, {K::ColorWrite, "Alpha", 8},
    {K::Address, "Wrap", 1}, {K::Address, "Mirror", 2}, {K::Address, "Clamp", 3}, {K::Address, "Border", 4},
    {K::Address, "MirrorOnce", 5},
    {K::Filter, "None", 0}, {K::Filter, "Point", 1}, {K::Filter, "Linear", 2}, {K::Filter, "Anisotropic", 3},
    {K::Filter, "PyramidalQuad", 6}, {K::Filter, "GaussianQuad", 7},
};

bool SameName(const char* a, const std::string& b) {
  if (std::strlen(a) != b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

template <size_t N>
std::optional<StateInfo> Find(const StateInfo (&table)[N], const std::string& name) {
  for (auto& s : table)
    if (SameName(s.name, name)) return s;
  return std::nullopt;
}

}  // namespace

std::optional<StateInfo> FindRenderState(const std::string& name) { return Find(kRenderStates, name); }
std::optional<StateInfo> FindSamplerState(const std::string& name) { return Find(kSamplerStates, name); }

std::optional<uint32_t> FindEnumValue(ValueKind kind, const std::string& name) {
  for (auto& e : kEnums)
    if (e.kind == kind && SameName(e.name, name)) return e.value;
  return std::nullopt;
}

}  // namespace effectc
