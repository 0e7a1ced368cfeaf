// The compiled test effect as D3DX sees it: every parameter, annotation, technique and pass
// of the source comes back with its name, type, size and value.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/effects/EffectTestSupport.h"
#include "tests/support/TestDevice.h"
#include "tools/effectc/Parser.h"

namespace {

class EffectLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dev.Ok());
    auto bytes = ReadFileBytes(TINTED_COPY_SOURCE);
    ASSERT_FALSE(bytes.empty());
    source = effectc::ParseEffect(std::string(bytes.begin(), bytes.end()));
    effect = CreateEffectFromBytes(dev.Device(), ReadFileBytes("tinted_copy.fxo"));
    ASSERT_TRUE(effect);
  }

  // Checks one annotation against the source's.
  void ExpectAnnotation(D3DXHANDLE owner, const effectc::Annotation& a) {
    SCOPED_TRACE(a.name);
    D3DXHANDLE h = effect->GetAnnotationByName(owner, a.name.c_str());
    ASSERT_NE(h, nullptr);
    D3DXPARAMETER_DESC d;
    ASSERT_EQ(effect->GetParameterDesc(h, &d), D3D_OK);
    EXPECT_EQ(d.Type, D3DXPARAMETER_TYPE(a.type.code));
    if (a.type.code == effectc::TypeCode::String) {
      LPCSTR s = nullptr;
      ASSERT_EQ(effect->GetString(h, &s), D3D_OK);
      EXPECT_STREQ(s, a.value.text.c_str());
    } else {
      std::vector<uint32_t> got(a.value.dwords.size());
      ASSERT_EQ(effect->GetValue(h, got.data(), UINT(got.size() * 4)), D3D_OK);
      EXPECT_EQ(got, a.value.dwords);
    }
  }

  TestDevice dev{64, 64};
  effectc::Effect source;
  ComRef<ID3DXEffect> effect;
};

TEST_F(EffectLoad, DeclaresTheSourcesParametersWithTypesSizesAndDefaults) {
  D3DXEFFECT_DESC desc;
  ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
  ASSERT_EQ(desc.Parameters, source.parameters.size());
  for (UINT i = 0; i < desc.Parameters; ++i) {
    const effectc::Parameter& p = source.parameters[i];
    SCOPED_TRACE(p.name);
    D3DXHANDLE h = effect->GetParameter(nullptr, i);
    D3DXPARAMETER_DESC d;
    ASSERT_EQ(effect->GetParameterDesc(h, &d), D3D_OK);
    EXPECT_STREQ(d.Name, p.name.c_str());
    EXPECT_EQ(d.Type, D3DXPARAMETER_TYPE(p.type.code));
    EXPECT_EQ(d.Class, D3DXPARAMETER_CLASS(p.type.cls));
    EXPECT_EQ(d.Elements, UINT(p.type.elements));
    EXPECT_EQ(d.Annotations, p.annotations.size());
    if (p.semantic.empty())
      EXPECT_EQ(d.Semantic, nullptr);
    else
      EXPECT_STREQ(d.Semantic, p.semantic.c_str());
    if (p.type.IsNumeric()) {
      EXPECT_EQ(d.Rows, UINT(p.type.rows));
      EXPECT_EQ(d.Columns, UINT(p.type.cols));
      EXPECT_EQ(d.Bytes, UINT(4 * p.type.Components() * p.type.Count()));
      std::vector<uint32_t> got(p.value.dwords.size());
      ASSERT_EQ(effect->GetValue(h, got.data(), UINT(got.size() * 4)), D3D_OK);
      EXPECT_EQ(got, p.value.dwords);
    }
    if (p.type.code == effectc::TypeCode::String) {
      LPCSTR s = nullptr;
      ASSERT_EQ(effect->GetString(h, &s), D3D_OK);
      EXPECT_STREQ(s, p.value.text.c_str());
    }
    for (auto& a : p.annotations) ExpectAnnotation(h, a);
  }
}

TEST_F(EffectLoad, DefaultsReadBackThroughTheTypedGetters) {
  float brightness = 0;
  EXPECT_EQ(effect->GetFloat("Brightness", &brightness), D3D_OK);
  EXPECT_EQ(brightness, 1.0f);
  D3DXMATRIX m, identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(effect->GetMatrix("Transform", &m), D3D_OK);
  EXPECT_EQ(std::memcmp(&m, &identity, sizeof m), 0);
  INT steps[2] = {};
  EXPECT_EQ(effect->GetIntArray("Steps", steps, 2), D3D_OK);
  EXPECT_EQ(steps[0], 3);
  EXPECT_EQ(steps[1], -4);
  BOOL enabled = FALSE;
  EXPECT_EQ(effect->GetBool("Enabled", &enabled), D3D_OK);
  EXPECT_TRUE(enabled);
  EXPECT_NE(effect->GetParameterBySemantic(nullptr, "WORLDVIEWPROJECTION"), nullptr);
  EXPECT_EQ(effect->GetParameterByName(nullptr, "brightness"), nullptr);  // names are exact
}

TEST_F(EffectLoad, DeclaresTheSourcesTechniquesPassesAndTheirAnnotations) {
  D3DXEFFECT_DESC desc;
  ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
  ASSERT_EQ(desc.Techniques, source.techniques.size());
  for (UINT t = 0; t < desc.Techniques; ++t) {
    const effectc::Technique& st = source.techniques[t];
    SCOPED_TRACE(st.name);
    D3DXHANDLE th = effect->GetTechnique(t);
    D3DXTECHNIQUE_DESC td;
    ASSERT_EQ(effect->GetTechniqueDesc(th, &td), D3D_OK);
    EXPECT_STREQ(td.Name, st.name.c_str());
    EXPECT_EQ(td.Annotations, st.annotations.size());
    for (auto& a : st.annotations) ExpectAnnotation(th, a);
    ASSERT_EQ(td.Passes, st.passes.size());
    for (UINT p = 0; p < td.Passes; ++p) {
      D3DXHANDLE ph = effect->GetPass(th, p);
      D3DXPASS_DESC pd;
      ASSERT_EQ(effect->GetPassDesc(ph, &pd), D3D_OK);
      EXPECT_STREQ(pd.Name, st.passes[p].name.c_str());
      EXPECT_EQ(pd.Annotations, st.passes[p].annotations.size());
      for (auto& a : st.passes[p].annotations) ExpectAnnotation(ph, a);
      EXPECT_NE(pd.pVertexShaderFunction, nullptr);
      EXPECT_NE(pd.pPixelShaderFunction, nullptr);
    }
  }
  EXPECT_EQ(effect->GetTechniqueByName("main"), nullptr);
}

// The constant tables are what bind parameters to registers; D3DX must read them back with
// the registers the compiler chose.
TEST_F(EffectLoad, ShadersCarryConstantTablesNamingTheParameters) {
  struct Case {
    const char* technique;
    UINT pass;
    bool pixel;
    const char* constant;
    D3DXREGISTER_SET set;
    UINT count;
    D3DXPARAMETER_CLASS cls;
  };
  const Case cases[] = {
      {"Main", 0, false, "Transform", D3DXRS_FLOAT4, 4, D3DXPC_MATRIX_COLUMNS},
      {"Main", 0, false, "Offset", D3DXRS_FLOAT4, 1, D3DXPC_VECTOR},
      {"Main", 0, true, "PictureSampler", D3DXRS_SAMPLER, 1, D3DXPC_OBJECT},
      {"Main", 0, true, "Tint", D3DXRS_FLOAT4, 1, D3DXPC_VECTOR},
      {"Main", 0, true, "Brightness", D3DXRS_FLOAT4, 1, D3DXPC_SCALAR},
      {"MainFX", 0, true, "Tint", D3DXRS_FLOAT4, 1, D3DXPC_VECTOR},
      {"Additive", 1, true, "Glow", D3DXRS_FLOAT4, 1, D3DXPC_VECTOR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.technique) + " " + c.constant);
    D3DXPASS_DESC pd;
    ASSERT_EQ(effect->GetPassDesc(effect->GetPass(effect->GetTechniqueByName(c.technique), c.pass), &pd), D3D_OK);
    ComRef<ID3DXConstantTable> table;
    ASSERT_EQ(D3DXGetShaderConstantTable(c.pixel ? pd.pPixelShaderFunction : pd.pVertexShaderFunction, table.Put()),
              D3D_OK);
    D3DXHANDLE h = table->GetConstantByName(nullptr, c.constant);
    ASSERT_NE(h, nullptr);
    D3DXCONSTANT_DESC cd;
    UINT n = 1;
    ASSERT_EQ(table->GetConstantDesc(h, &cd, &n), D3D_OK);
    EXPECT_EQ(cd.RegisterSet, c.set);
    EXPECT_EQ(cd.RegisterCount, c.count);
    EXPECT_EQ(cd.Class, c.cls);
    if (std::strcmp(c.technique, "MainFX") == 0) {
      EXPECT_NE(cd.RegisterIndex, 0u);  // c0 is the shader's own
    }
  }
}

}  // namespace
