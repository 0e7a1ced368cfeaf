#pragma once
// Stand-ins for the brush tests that need no device: an effect that records what the brush
// sets by name, a texture that is only an identity, and a draw host that records its draws.
// Brushes take their effect from the current resource manager; Install puts the recorder
// there under the brush's effect link.
#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "device/ComRef.h"
#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "runtime/DS_ABRender.h"
#include "runtime/ScreenSelection.h"

// The IUnknown of a stand-in: counted, deleted at zero, no other interface.
template <class Interface>
class StandIn : public Interface {
 public:
  STDMETHOD(QueryInterface)(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++refs_; }
  STDMETHOD_(ULONG, Release)() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~StandIn() = default;

 private:
  ULONG refs_ = 1;
};

// Every Set call by name, in order, and the last value of each name.
class RecordingEffect : public StandIn<ID3DXEffect> {
 public:
  struct Call {
    std::string what;  // "technique", "float", "floats", "matrix", "texture", "draw"
    std::string name;
    std::vector<float> values;
    IDirect3DBaseTexture9* texture = nullptr;
  };

  // A new recorder held by the caller (and, once installed, by the manager).
  static ComRef<RecordingEffect> Create() { return ComRef<RecordingEffect>::Adopt(new RecordingEffect); }
  // Puts the recorder under the link's key in the manager's effects.
  void Install(DS_DocResManager& manager, const DS_FileLink3& link) {
    manager.Tables().effects[link.Key()] = ComRef<ID3DXEffect>::Share(this);
  }

  const std::vector<float>& Floats(const std::string& name) const {
    static const std::vector<float> none;
    auto it = floats.find(name);
    return it == floats.end() ? none : it->second;
  }
  bool Has(const std::string& name) const { return floats.count(name) || textures.count(name); }
  void Clear() {
    calls.clear();
    floats.clear();
    textures.clear();
    technique.clear();
    passes = 0;
  }

  std::vector<Call> calls;
  std::map<std::string, std::vector<float>> floats;
  std::map<std::string, IDirect3DBaseTexture9*> textures;
  std::string technique;
  int passes = 0;  // passes drawn (BeginPass calls)
  int lostDevice = 0, resetDevice = 0;  // OnLostDevice and OnResetDevice calls

  // What the brushes call.
  STDMETHOD(SetTechnique)(D3DXHANDLE name) override {
    technique = name;
    calls.push_back({"technique", name, {}, nullptr});
    return D3D_OK;
  }
  STDMETHOD(SetFloat)(D3DXHANDLE name, FLOAT f) override { return Record("float", name, &f, 1); }
  STDMETHOD(SetFloatArray)(D3DXHANDLE name, const FLOAT* f, UINT count) override {
    return Record("floats", name, f, count);
  }
  STDMETHOD(SetVector)(D3DXHANDLE name, const D3DXVECTOR4* v) override { return Record("floats", name, &v->x, 4); }
  STDMETHOD(SetMatrix)(D3DXHANDLE name, const D3DXMATRIX* m) override { return Record("matrix", name, &m->_11, 16); }
  STDMETHOD(SetTexture)(D3DXHANDLE name, IDirect3DBaseTexture9* texture) override {
    textures[name] = texture;
    calls.push_back({"texture", name, {}, texture});
    return D3D_OK;
  }
  STDMETHOD(Begin)(UINT* count, DWORD) override {
    if (count) *count = 1;
    return D3D_OK;
  }
  STDMETHOD(BeginPass)(UINT) override {
    ++passes;
    calls.push_back({"draw", technique, {}, nullptr});
    return D3D_OK;
  }
  STDMETHOD(EndPass)() override { return D3D_OK; }
  STDMETHOD(End)() override { return D3D_OK; }
  STDMETHOD(CommitChanges)() override { return D3D_OK; }
  STDMETHOD(OnLostDevice)() override {
    ++lostDevice;
    return D3D_OK;
  }
  STDMETHOD(OnResetDevice)() override {
    ++resetDevice;
    return D3D_OK;
  }

  // Nothing else is used by the brushes.
  STDMETHOD(GetDesc)(D3DXEFFECT_DESC*) override { return E_NOTIMPL; }
  STDMETHOD(GetParameterDesc)(D3DXHANDLE, D3DXPARAMETER_DESC*) override { return E_NOTIMPL; }
  STDMETHOD(GetTechniqueDesc)(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override { return E_NOTIMPL; }
  STDMETHOD(GetPassDesc)(D3DXHANDLE, D3DXPASS_DESC*) override { return E_NOTIMPL; }
  STDMETHOD(GetFunctionDesc)(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return E_NOTIMPL; }
  STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE, UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE, const char*) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE, const char*) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetParameterElement)(D3DXHANDLE, UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetTechnique)(UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(const char*) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetPass)(D3DXHANDLE, UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetPassByName)(D3DXHANDLE, const char*) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetFunction)(UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetFunctionByName)(const char*) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetAnnotation)(D3DXHANDLE, UINT) override { return nullptr; }
  STDMETHOD_(D3DXHANDLE, GetAnnotationByName)(D3DXHANDLE, const char*) override { return nullptr; }
  STDMETHOD(SetValue)(D3DXHANDLE, const void*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetValue)(D3DXHANDLE, void*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetBool)(D3DXHANDLE, WINBOOL) override { return E_NOTIMPL; }
  STDMETHOD(GetBool)(D3DXHANDLE, WINBOOL*) override { return E_NOTIMPL; }
  STDMETHOD(SetBoolArray)(D3DXHANDLE, const WINBOOL*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetBoolArray)(D3DXHANDLE, WINBOOL*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetInt)(D3DXHANDLE, INT) override { return E_NOTIMPL; }
  STDMETHOD(GetInt)(D3DXHANDLE, INT*) override { return E_NOTIMPL; }
  STDMETHOD(SetIntArray)(D3DXHANDLE, const INT*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetIntArray)(D3DXHANDLE, INT*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetFloat)(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
  STDMETHOD(GetFloatArray)(D3DXHANDLE, FLOAT*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetVector)(D3DXHANDLE, D3DXVECTOR4*) override { return E_NOTIMPL; }
  STDMETHOD(SetVectorArray)(D3DXHANDLE, const D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetVectorArray)(D3DXHANDLE, D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrix)(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
  STDMETHOD(SetMatrixArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrixArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetMatrixPointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrixPointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetMatrixTranspose)(D3DXHANDLE, const D3DXMATRIX*) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrixTranspose)(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
  STDMETHOD(SetMatrixTransposeArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrixTransposeArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetMatrixTransposePointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetMatrixTransposePointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  STDMETHOD(SetString)(D3DXHANDLE, const char*) override { return E_NOTIMPL; }
  STDMETHOD(GetString)(D3DXHANDLE, const char**) override { return E_NOTIMPL; }
  STDMETHOD(GetTexture)(D3DXHANDLE, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
  STDMETHOD(GetPixelShader)(D3DXHANDLE, IDirect3DPixelShader9**) override { return E_NOTIMPL; }
  STDMETHOD(GetVertexShader)(D3DXHANDLE, IDirect3DVertexShader9**) override { return E_NOTIMPL; }
  STDMETHOD(SetArrayRange)(D3DXHANDLE, UINT, UINT) override { return E_NOTIMPL; }
  STDMETHOD(GetPool)(ID3DXEffectPool**) override { return E_NOTIMPL; }
  STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override { return nullptr; }
  STDMETHOD(ValidateTechnique)(D3DXHANDLE) override { return E_NOTIMPL; }
  STDMETHOD(FindNextValidTechnique)(D3DXHANDLE, D3DXHANDLE*) override { return E_NOTIMPL; }
  STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE, D3DXHANDLE) override { return FALSE; }
  STDMETHOD(GetDevice)(IDirect3DDevice9**) override { return E_NOTIMPL; }
  STDMETHOD(SetStateManager)(ID3DXEffectStateManager*) override { return E_NOTIMPL; }
  STDMETHOD(GetStateManager)(ID3DXEffectStateManager**) override { return E_NOTIMPL; }
  STDMETHOD(BeginParameterBlock)() override { return E_NOTIMPL; }
  STDMETHOD_(D3DXHANDLE, EndParameterBlock)() override { return nullptr; }
  STDMETHOD(ApplyParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
  STDMETHOD(DeleteParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
  STDMETHOD(CloneEffect)(IDirect3DDevice9*, ID3DXEffect**) override { return E_NOTIMPL; }
  STDMETHOD(SetRawValue)(D3DXHANDLE, const void*, UINT, UINT) override { return E_NOTIMPL; }

 private:
  RecordingEffect() = default;

  HRESULT Record(const char* what, D3DXHANDLE name, const float* f, UINT count) {
    std::vector<float> values(f, f + count);
    floats[name] = values;
    calls.push_back({what, name, std::move(values), nullptr});
    return D3D_OK;
  }
};

// A texture that only stands for itself (and its size); nothing can be drawn from it.
class FakeTexture : public StandIn<IDirect3DTexture9> {
 public:
  static ComRef<IDirect3DTexture9> Create() { return ComRef<IDirect3DTexture9>::Adopt(new FakeTexture); }

  STDMETHOD(GetDevice)(IDirect3DDevice9**) override { return E_NOTIMPL; }
  STDMETHOD(SetPrivateData)(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetPrivateData)(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHOD(FreePrivateData)(REFGUID) override { return E_NOTIMPL; }
  STDMETHOD_(DWORD, SetPriority)(DWORD) override { return 0; }
  STDMETHOD_(DWORD, GetPriority)() override { return 0; }
  STDMETHOD_(void, PreLoad)() override {}
  STDMETHOD_(D3DRESOURCETYPE, GetType)() override { return D3DRTYPE_TEXTURE; }
  STDMETHOD_(DWORD, SetLOD)(DWORD) override { return 0; }
  STDMETHOD_(DWORD, GetLOD)() override { return 0; }
  STDMETHOD_(DWORD, GetLevelCount)() override { return 1; }
  STDMETHOD(SetAutoGenFilterType)(D3DTEXTUREFILTERTYPE) override { return E_NOTIMPL; }
  STDMETHOD_(D3DTEXTUREFILTERTYPE, GetAutoGenFilterType)() override { return D3DTEXF_NONE; }
  STDMETHOD_(void, GenerateMipSubLevels)() override {}
  STDMETHOD(GetLevelDesc)(UINT, D3DSURFACE_DESC*) override { return E_NOTIMPL; }
  STDMETHOD(GetSurfaceLevel)(UINT, IDirect3DSurface9**) override { return E_NOTIMPL; }
  STDMETHOD(LockRect)(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(UnlockRect)(UINT) override { return E_NOTIMPL; }
  STDMETHOD(AddDirtyRect)(const RECT*) override { return E_NOTIMPL; }

 private:
  FakeTexture() = default;
};

// A picture of the given size as the host draws it; every draw with an effect is counted.
class RecordingHost : public DS_ABRender {
 public:
  RecordingHost(uint32_t width, uint32_t height) : width_(width), height_(height) {
    scene_ = FakeTexture::Create();
  }

  void DrawObjectFrame(DS_SimpleMesh<DX_V::PC>&, int, bool) override {}
  void DrawIndexedMeshWithEffect(DS_IndexedMesh<DX_V::PT>&, ID3DXEffect* effect) override { Draw(effect); }
  void DrawMeshWithEffect(DS_SimpleMesh<DX_V::PT>& mesh, ID3DXEffect* effect) override {
    meshes.push_back(&mesh);
    Draw(effect);
  }
  void DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>&, IDirect3DTexture9*, bool,
                         const std::list<DS_Frame*>&) override {}
  void DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>&, IDirect3DTexture9*, IDirect3DTexture9*, uint32_t) override {}
  void DrawFrameList(const DS_IndexedMesh<DX_V::PNT>&, IDirect3DTexture9*, const std::list<DS_Frame*>&) override {}
  ComRef<IDirect3DTexture9>* GetSceneTexture() override { return &scene_; }
  DS_ImageQuad& GetScreenMesh() override { return screen_; }
  uint32_t GetImageWidth() override { return width_; }
  uint32_t GetImageHeight() override { return height_; }

  IDirect3DTexture9* Scene() const { return scene_.Get(); }
  DS_ImageQuad* ScreenMesh() { return &screen_; }

  int draws = 0;
  std::vector<DS_SimpleMesh<DX_V::PT>*> meshes;

 private:
  void Draw(ID3DXEffect* effect) {
    ++draws;
    UINT passes = 0;
    effect->Begin(&passes, 0);
    for (UINT i = 0; i < passes; ++i) {
      effect->BeginPass(i);
      effect->EndPass();
    }
    effect->End();
  }

  uint32_t width_, height_;
  ComRef<IDirect3DTexture9> scene_;
  DS_ImageQuad screen_;
};

// A current resource manager that hands the brush a recorder for its effect, and a host of
// a 1024 x 768 picture.
template <class Brush>
struct RecordedBrush {
  RecordedBrush() { effect->Install(manager, brush.effectLink); }
  // Binds the brush without a mask, as the flame and underwater lights bind their effects.
  void Bind() { brush.BindResources(nullptr); }
  // One draw at the brush's clock time.
  void Draw() {
    effect->Clear();
    brush.Render(host);
  }
  // Puts the clock at t without a frame step.
  void SetClock(float t) {
    brush.speed.clock = t;
    brush.speed.lastTime = 0.0f;
    brush.Update(0.0f);
  }

  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  ComRef<RecordingEffect> effect = RecordingEffect::Create();
  Brush brush;
  RecordingHost host{1024, 768};
};

// The bytes of a "DS_FX_Constructor" record of version 1 (no effect scale) or 2, with its
// "DS_ABObj_Constructor" record.
inline std::vector<uint8_t> BrushBaseRecord(int32_t version, uint32_t speed, int sceneFlag, const DS_LinkKey& effect,
                                            uint32_t effectScale, const wchar_t* name) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"DS_FX_Constructor");
  s->WriteInt(version);
  s->WriteUInt(speed);
  s->WriteULong(static_cast<unsigned long>(sceneFlag));
  WriteGuidString(s, GUID{0x1234, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 8}});
  s->WriteString(L"");
  s->WriteBool(1);
  DS_FileLink3(effect.path, effect.stamp).Write(s);
  if (version > 1) s->WriteUInt(effectScale);
  s->WriteString(L"DS_ABObj_Constructor");
  s->WriteInt(1);
  s->WriteString(name);
  return writer.Bytes();
}

// A "DS_FireFX" record of version 2 laid out by its table, each field a value of its own:
// corners 1 to 12, colours 0x112233 and 0x445566, stored integer 7, pattern ("flames.png",
// 93), noise ("noise.png", 8), stored integer 9, density 120, brightness 40, tiling 200;
// then the base record (speed 60, effect 92, name "Flames").
inline std::vector<uint8_t> FireRecordV2() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"DS_FireFX");
  s->WriteInt(2);
  for (int i = 1; i <= 12; ++i) s->WriteFloat(float(i));
  s->WriteInt(0x112233);
  s->WriteInt(0x445566);
  s->WriteULong(7);
  DS_FileLink3(L"flames.png", 93).Write(s);
  DS_FileLink3(L"noise.png", 8).Write(s);
  s->WriteULong(9);
  for (uint32_t v : {120u, 40u, 200u}) s->WriteUInt(v);
  std::vector<uint8_t> bytes = writer.Bytes();
  const std::vector<uint8_t> base = BrushBaseRecord(2, 60, 0, {L"common_res.dll", 92}, 50, L"Flames");
  bytes.insert(bytes.end(), base.begin(), base.end());
  return bytes;
}

// Within tol of the expected values, one by one.
inline void ExpectFloats(const std::vector<float>& got, std::initializer_list<float> want, float tol = 1e-5f) {
  ASSERT_EQ(got.size(), want.size());
  size_t i = 0;
  for (float w : want) {
    EXPECT_NEAR(got[i], w, tol) << "value " << i;
    ++i;
  }
}
