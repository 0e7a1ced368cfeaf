#include "brushes/DS_FireFX.h"

#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

DS_FireFX::DS_FireFX()
    : colour1(0xFFFF),
      colour2(0xFF),
      patternLink(DS_FileLink3(93, kModule)),
      noiseLink(DS_FileLink3(8, kModule)) {
  SetModuleEffect(92);
  SetSpeed(50, 0.02f);
  storedInt1.Assign(0);
  InitScaled(density, 100, 0.01f, -1.0f);
  InitScaled(brightness, 15, 0.02f, 0.0f);
  InitScaled(tiling, 100, 0.01f, 0.0f);
}

DS_FireFX::DS_FireFX(const DS_FireFX& other)
    : DS_FX_Constructor(other),
      colour1(other.colour1),
      colour2(other.colour2),
      storedInt1(other.storedInt1),
      patternLink(other.patternLink),
      noiseLink(other.noiseLink),
      storedInt2(other.storedInt2),
      density(other.density),
      brightness(other.brightness),
      tiling(other.tiling),
      pattern_(other.pattern_),
      noise_(other.noise_),
      grid_(other.grid_),
      gridColumns_(other.gridColumns_),
      gridRows_(other.gridRows_) {
  for (int i = 0; i < 4; ++i) corners.corners[i].Value() = other.corners.corners[i].Value();
}

DS_FireFX& DS_FireFX::operator=(const DS_FireFX& other) {
  if (this == &other) return *this;
  AssignBase(other);
  for (int i = 0; i < 4; ++i) corners.corners[i].Value() = other.corners.corners[i].Value();
  colour1.Assign(other.colour1.Value());
  colour2.Assign(other.colour2.Value());
  storedInt1.Assign(other.storedInt1.Value());
  patternLink.SetKey(other.patternLink.Key());
  noiseLink.SetKey(other.noiseLink.Key());
  storedInt2.Value() = other.storedInt2.Value();
  CopyScaled(density, other.density);
  CopyScaled(brightness, other.brightness);
  CopyScaled(tiling, other.tiling);
  pattern_ = other.pattern_;
  noise_ = other.noise_;
  grid_ = other.grid_;
  gridColumns_ = other.gridColumns_;
  gridRows_ = other.gridRows_;
  return *this;
}

DS_FireFX::~DS_FireFX() {
  grid_.indexBuffer.Reset();
  grid_.vertexBuffer.Reset();
  noise_.Reset();
  pattern_.Reset();
}

void DS_FireFX::BindResources(ComRef<IDirect3DTexture9>* mask) {
  DS_FX_Constructor::BindResources(mask);
  pattern_ = FirstImageTexture(patternLink);
  noise_ = FirstImageTexture(noiseLink);
  CreateGridMesh8x8();
  BuildGrid();
}

void DS_FireFX::CreateGridMesh8x8() {
  gridColumns_ = kGridCells;
  gridRows_ = kGridCells;
  CreateVertexBufferPT((kGridCells + 1) * (kGridCells + 1), grid_);
  grid_.primitiveType = D3DPT_TRIANGLELIST;
  DS_GridIndexBuffer indices;
  CreateGridIndexBuffer(indices);
  grid_.indexBuffer = indices.indexBuffer;
  grid_.indexedPrimitiveCount = indices.triangleCount;
}

DS_QuadCorners DS_FireFX::GridCorners() const {
  const float u = 1.0f / tiling.scaledValue;
  const float uv[4][2] = {{0, 0}, {0, 1}, {u, 0}, {u, 1}};
  DS_QuadCorners quad;
  for (int i = 0; i < 4; ++i) {
    const D3DXVECTOR3& p = corners.corners[i].Value();
    quad.corner[i] = {p.x, p.y, p.z, uv[i][0], uv[i][1]};
  }
  return quad;
}

void DS_FireFX::BuildGrid() { FillGridMeshPT(grid_, gridRows_, gridColumns_, GridCorners()); }

void DS_FireFX::SetCommonParams(const DS_SimpleMesh<DX_V::PT>& mesh) {
  ID3DXEffect* effect = Effect();
  if (!effect) return;
  D3DXMATRIX m;
  g_view2D->GetWorldViewProjection(mesh.world, m);
  effect->SetMatrix("WorldViewProj", &m);
  g_view2D->GetViewProjection(m);
  effect->SetMatrix("ViewProj", &m);
  effect->SetTexture("Noise", noise_.Get());
  effect->SetTexture("Pattern", pattern_.Get());
  const float t = Time();
  const float c11[2] = {0.0f, 1.3f * t}, c12[2] = {0.0f, 2.1f * t}, c13[2] = {0.0f, 2.3f * t};
  effect->SetFloatArray("c11", c11, 2);
  effect->SetFloatArray("c12", c12, 2);
  effect->SetFloatArray("c13", c13, 2);
}

void DS_FireFX::Render(DS_ABRender& host) {
  if (!CanDraw()) return;  // a fire without its effect or pictures draws nothing
  ID3DXEffect* effect = Effect();
  SetCommonParams(grid_);
  const D3DXVECTOR3 k1 = ColourVector(colour2.Value());
  const D3DXVECTOR3 k2 = ColourVector(colour1.Value()) - k1;
  effect->SetFloatArray("ColorK1", &k1.x, 3);
  effect->SetFloatArray("ColorK2", &k2.x, 3);
  const float backgroundScale[2] = {1.0f, 1.0f};
  effect->SetFloatArray("bg_scale_factor", backgroundScale, 2);
  effect->SetTexture("Mask", GetMask()->Get());
  ComRef<IDirect3DTexture9>* scene = host.GetSceneTexture();
  effect->SetTexture("Background", scene ? scene->Get() : nullptr);
  effect->SetFloat("Brightness", brightness.scaledValue);
  effect->SetFloat("Density", density.scaledValue);
  effect->SetTechnique("Main");
  host.DrawIndexedMeshWithEffect(grid_, effect);
}

void DS_FireFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FireFX::WriteFields(DS_IOF_Holder stream) {
  corners.Write(stream);
  WriteColour(stream, colour1);
  WriteColour(stream, colour2);
  WriteSwitch(stream, storedInt1);
  if (g_docResManager) g_docResManager->RegisterImageForSave(patternLink);
  patternLink.Write(stream);
  if (g_docResManager) g_docResManager->RegisterImageForSave(noiseLink);
  noiseLink.Write(stream);
  WriteSwitch(stream, storedInt2);
  density.Write(stream);
  brightness.Write(stream);
  tiling.Write(stream);
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_FireFX::ReadFields(DS_IOF_Holder stream, int32_t version) {
  if (version > 1) {
    corners.Read(stream);
    ReadColour(stream, colour1);
    ReadColour(stream, colour2);
    ReadSwitch(stream, storedInt1);
    patternLink.Read(stream);
    noiseLink.Read(stream);
    ReadSwitch(stream, storedInt2);
    ReadScaled(stream, density);
    ReadScaled(stream, brightness);
    ReadScaled(stream, tiling);
  }
  DS_FX_Constructor::ReadRecord(stream);
}

std::unique_ptr<DS_FireFX> DS_FireFX::ReadNewRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  auto fire = std::make_unique<DS_FireFX>();
  fire->ReadFields(stream, header.version);
  return fire;
}
