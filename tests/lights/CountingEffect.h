#pragma once
// An effect that only counts how often it is told that its device was lost and reset: the
// effects D3DX makes under Wine do nothing observable there (their reset is a stub), so
// whether a light restores the manager's effects after a reset is seen through this double.
// Every other operation fails.
#include <d3dx9.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
class CountingEffect : public ID3DXEffect {
 public:
  int lost = 0;
  int reset = 0;

  HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references_; }
  ULONG WINAPI Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT WINAPI OnLostDevice() override {
    ++lost;
    return S_OK;
  }
  HRESULT WINAPI OnResetDevice() override {
    ++reset;
    return S_OK;
  }

  HRESULT WINAPI GetDesc(D3DXEFFECT_DESC* desc) override { return E_NOTIMPL; }
  HRESULT WINAPI GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override { return E_NOTIMPL; }
  HRESULT WINAPI GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) override { return E_NOTIMPL; }
  HRESULT WINAPI GetPassDesc(D3DXHANDLE pass, D3DXPASS_DESC* desc) override { return E_NOTIMPL; }
  HRESULT WINAPI GetFunctionDesc(D3DXHANDLE shader, D3DXFUNCTION_DESC* desc) override { return E_NOTIMPL; }
  D3DXHANDLE WINAPI GetParameter(D3DXHANDLE parameter, UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetParameterByName(D3DXHANDLE parameter, const char *name) override { return nullptr; }
  D3DXHANDLE WINAPI GetParameterBySemantic(D3DXHANDLE parameter, const char *semantic) override { return nullptr; }
  D3DXHANDLE WINAPI GetParameterElement(D3DXHANDLE parameter, UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetTechnique(UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetTechniqueByName(const char *name) override { return nullptr; }
  D3DXHANDLE WINAPI GetPass(D3DXHANDLE technique, UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetPassByName(D3DXHANDLE technique, const char *name) override { return nullptr; }
  D3DXHANDLE WINAPI GetFunction(UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetFunctionByName(const char *name) override { return nullptr; }
  D3DXHANDLE WINAPI GetAnnotation(D3DXHANDLE object, UINT index) override { return nullptr; }
  D3DXHANDLE WINAPI GetAnnotationByName(D3DXHANDLE object, const char *name) override { return nullptr; }
  HRESULT WINAPI SetValue(D3DXHANDLE parameter, const void *data, UINT bytes) override { return E_NOTIMPL; }
  HRESULT WINAPI GetValue(D3DXHANDLE parameter, void *data, UINT bytes) override { return E_NOTIMPL; }
  HRESULT WINAPI SetBool(D3DXHANDLE parameter, WINBOOL b) override { return E_NOTIMPL; }
  HRESULT WINAPI GetBool(D3DXHANDLE parameter, WINBOOL* b) override { return E_NOTIMPL; }
  HRESULT WINAPI SetBoolArray(D3DXHANDLE parameter, const WINBOOL *b, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetBoolArray(D3DXHANDLE parameter, WINBOOL* b, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetInt(D3DXHANDLE parameter, INT n) override { return E_NOTIMPL; }
  HRESULT WINAPI GetInt(D3DXHANDLE parameter, INT* n) override { return E_NOTIMPL; }
  HRESULT WINAPI SetIntArray(D3DXHANDLE parameter, const INT *n, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetIntArray(D3DXHANDLE parameter, INT* n, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetFloat(D3DXHANDLE parameter, FLOAT f) override { return E_NOTIMPL; }
  HRESULT WINAPI GetFloat(D3DXHANDLE parameter, FLOAT* f) override { return E_NOTIMPL; }
  HRESULT WINAPI SetFloatArray(D3DXHANDLE parameter, const FLOAT *f, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetFloatArray(D3DXHANDLE parameter, FLOAT* f, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetVector(D3DXHANDLE parameter, const D3DXVECTOR4 *vector) override { return E_NOTIMPL; }
  HRESULT WINAPI GetVector(D3DXHANDLE parameter, D3DXVECTOR4* vector) override { return E_NOTIMPL; }
  HRESULT WINAPI SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4 *vector, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetVectorArray(D3DXHANDLE parameter, D3DXVECTOR4* vector, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX *matrix) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX *matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrixArray(D3DXHANDLE parameter, D3DXMATRIX* matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrixPointerArray(D3DXHANDLE parameter, const D3DXMATRIX **matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrixPointerArray(D3DXHANDLE parameter, D3DXMATRIX** matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrixTranspose(D3DXHANDLE parameter, const D3DXMATRIX *matrix) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrixTranspose(D3DXHANDLE parameter, D3DXMATRIX* matrix) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrixTransposeArray(D3DXHANDLE parameter, const D3DXMATRIX *matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrixTransposeArray(D3DXHANDLE parameter, D3DXMATRIX* matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetMatrixTransposePointerArray(D3DXHANDLE parameter, const D3DXMATRIX **matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI GetMatrixTransposePointerArray(D3DXHANDLE parameter, D3DXMATRIX** matrix, UINT count) override { return E_NOTIMPL; }
  HRESULT WINAPI SetString(D3DXHANDLE parameter, const char *string) override { return E_NOTIMPL; }
  HRESULT WINAPI GetString(D3DXHANDLE parameter, const char **string) override { return E_NOTIMPL; }
  HRESULT WINAPI SetTexture(D3DXHANDLE parameter, struct IDirect3DBaseTexture9 *texture) override { return E_NOTIMPL; }
  HRESULT WINAPI GetTexture(D3DXHANDLE parameter, struct IDirect3DBaseTexture9 **texture) override { return E_NOTIMPL; }
  HRESULT WINAPI GetPixelShader(D3DXHANDLE parameter, struct IDirect3DPixelShader9 **shader) override { return E_NOTIMPL; }
  HRESULT WINAPI GetVertexShader(D3DXHANDLE parameter, struct IDirect3DVertexShader9 **shader) override { return E_NOTIMPL; }
  HRESULT WINAPI SetArrayRange(D3DXHANDLE parameter, UINT start, UINT end) override { return E_NOTIMPL; }
  HRESULT WINAPI GetPool(ID3DXEffectPool **pool) override { return E_NOTIMPL; }
  HRESULT WINAPI SetTechnique(D3DXHANDLE technique) override { return E_NOTIMPL; }
  D3DXHANDLE WINAPI GetCurrentTechnique() override { return nullptr; }
  HRESULT WINAPI ValidateTechnique(D3DXHANDLE technique) override { return E_NOTIMPL; }
  HRESULT WINAPI FindNextValidTechnique(D3DXHANDLE technique, D3DXHANDLE* next_technique) override { return E_NOTIMPL; }
  WINBOOL WINAPI IsParameterUsed(D3DXHANDLE parameter, D3DXHANDLE technique) override { return 0; }
  HRESULT WINAPI Begin(UINT *passes, DWORD flags) override { return E_NOTIMPL; }
  HRESULT WINAPI BeginPass(UINT pass) override { return E_NOTIMPL; }
  HRESULT WINAPI CommitChanges() override { return E_NOTIMPL; }
  HRESULT WINAPI EndPass() override { return E_NOTIMPL; }
  HRESULT WINAPI End() override { return E_NOTIMPL; }
  HRESULT WINAPI GetDevice(struct IDirect3DDevice9 **device) override { return E_NOTIMPL; }
  HRESULT WINAPI SetStateManager(ID3DXEffectStateManager *manager) override { return E_NOTIMPL; }
  HRESULT WINAPI GetStateManager(ID3DXEffectStateManager **manager) override { return E_NOTIMPL; }
  HRESULT WINAPI BeginParameterBlock() override { return E_NOTIMPL; }
  D3DXHANDLE WINAPI EndParameterBlock() override { return nullptr; }
  HRESULT WINAPI ApplyParameterBlock(D3DXHANDLE parameter_block) override { return E_NOTIMPL; }
  HRESULT WINAPI DeleteParameterBlock(D3DXHANDLE parameter_block) override { return E_NOTIMPL; }
  HRESULT WINAPI CloneEffect(struct IDirect3DDevice9 *device, struct ID3DXEffect **effect) override { return E_NOTIMPL; }
  HRESULT WINAPI SetRawValue(D3DXHANDLE parameter, const void *data, UINT byte_offset, UINT bytes) override { return E_NOTIMPL; }

 private:
  virtual ~CountingEffect() = default;
  ULONG references_ = 1;
};
#pragma GCC diagnostic pop
