#pragma once
// An effect that only counts how often it was told the device was lost and reset: the real
// one shows no trace of either under Wine. Every other call does nothing.
#include <d3dx9.h>

class CountingEffect : public ID3DXEffect {
 public:
  int lost = 0;
  int reset = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE OnLostDevice() override {
    ++lost;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResetDevice() override {
    ++reset;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE, D3DXPARAMETER_DESC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTechniqueDesc(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPassDesc(D3DXHANDLE, D3DXPASS_DESC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFunctionDesc(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return E_NOTIMPL; }
  D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE, UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE, const char *) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetParameterBySemantic(D3DXHANDLE, const char *) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE, UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(const char *) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetPass(D3DXHANDLE, UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetPassByName(D3DXHANDLE, const char *) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetFunction(UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetFunctionByName(const char *) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotation(D3DXHANDLE, UINT) override { return nullptr; }
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotationByName(D3DXHANDLE, const char *) override { return nullptr; }
  HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE, const void *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE, void *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE, WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE, WINBOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBoolArray(D3DXHANDLE, const WINBOOL *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBoolArray(D3DXHANDLE, WINBOOL*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE, INT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE, INT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE, const INT *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIntArray(D3DXHANDLE, INT*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE, FLOAT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE, const FLOAT *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE, FLOAT*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE, const D3DXVECTOR4 *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE, D3DXVECTOR4*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE, const D3DXVECTOR4 *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE, D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE, const D3DXMATRIX *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE, const D3DXMATRIX *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrixArray(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrixPointerArray(D3DXHANDLE, const D3DXMATRIX **, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrixPointerArray(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrixTranspose(D3DXHANDLE, const D3DXMATRIX *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrixTranspose(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrixTransposeArray(D3DXHANDLE, const D3DXMATRIX *, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrixTransposeArray(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMatrixTransposePointerArray(D3DXHANDLE, const D3DXMATRIX **, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMatrixTransposePointerArray(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetString(D3DXHANDLE, const char *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetString(D3DXHANDLE, const char **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE, struct IDirect3DBaseTexture9 *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE, struct IDirect3DBaseTexture9 **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPixelShader(D3DXHANDLE, struct IDirect3DPixelShader9 **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVertexShader(D3DXHANDLE, struct IDirect3DVertexShader9 **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetArrayRange(D3DXHANDLE, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPool(ID3DXEffectPool **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE) override { return E_NOTIMPL; }
  D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override { return nullptr; }
  HRESULT STDMETHODCALLTYPE ValidateTechnique(D3DXHANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindNextValidTechnique(D3DXHANDLE, D3DXHANDLE*) override { return E_NOTIMPL; }
  WINBOOL STDMETHODCALLTYPE IsParameterUsed(D3DXHANDLE, D3DXHANDLE) override { return FALSE; }
  HRESULT STDMETHODCALLTYPE Begin(UINT *, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginPass(UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CommitChanges() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EndPass() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE End() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDevice(struct IDirect3DDevice9 **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStateManager(ID3DXEffectStateManager *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStateManager(ID3DXEffectStateManager **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginParameterBlock() override { return E_NOTIMPL; }
  D3DXHANDLE STDMETHODCALLTYPE EndParameterBlock() override { return nullptr; }
  HRESULT STDMETHODCALLTYPE ApplyParameterBlock(D3DXHANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteParameterBlock(D3DXHANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CloneEffect(struct IDirect3DDevice9 *, struct ID3DXEffect **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetRawValue(D3DXHANDLE, const void *, UINT, UINT) override { return E_NOTIMPL; }

 protected:
  virtual ~CountingEffect() = default;

 private:
  ULONG refs_ = 1;
};
