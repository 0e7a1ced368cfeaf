// The effect compiler's own parts: what the parser accepts and rejects (with the line of the
// fault), and how shader code is bound to parameter registers.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/effectc/EffectWriter.h"
#include "tools/effectc/Parser.h"
#include "tools/effectc/ShaderAssembler.h"

using namespace effectc;

namespace {

const char* kTechnique = "technique T { pass P { PixelShader = ps_2_0 { mov oC0, c0 } } }\n";

std::string WithTechnique(const std::string& decls) { return decls + kTechnique; }

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST(EffectParser, ReadsTypesDefaultsSemanticsAndAnnotations) {
  Effect e = ParseEffect(WithTechnique(
      "float a < string UIName = \"A\"; int Step = -2; > = -0.5;\n"
      "float2 b = {1, 2};\n"
      "float4x4 m : World = {1,0,0,0, 0,1,0,0, 0,0,1,0, 3,4,5,1};\n"
      "float4 arr[2];\n"
      "bool on = true;\n"
      "string s = \"text\";\n"
      "texture t;\n"
      "sampler2D ts = sampler_state { Texture = <t>; AddressU = Mirror; MipFilter = Linear; MipMapLodBias = 0.5; };\n"));
  ASSERT_EQ(e.parameters.size(), 8u);
  const Parameter& a = e.parameters[0];
  EXPECT_EQ(a.type.cls, ClassCode::Scalar);
  EXPECT_EQ(a.value.dwords, std::vector<uint32_t>{Bits(-0.5f)});
  ASSERT_EQ(a.annotations.size(), 2u);
  EXPECT_EQ(a.annotations[0].value.text, "A");
  EXPECT_EQ(a.annotations[1].value.dwords, std::vector<uint32_t>{uint32_t(-2)});
  EXPECT_EQ(e.parameters[1].type.cls, ClassCode::Vector);
  EXPECT_EQ(e.parameters[1].type.cols, 2);
  const Parameter& m = e.parameters[2];
  EXPECT_EQ(m.type.cls, ClassCode::MatrixRows);
  EXPECT_EQ(m.semantic, "World");
  EXPECT_EQ(m.value.dwords[12], Bits(3.0f));  // row by row
  EXPECT_EQ(e.parameters[3].type.elements, 2);
  EXPECT_EQ(e.parameters[3].value.dwords.size(), 8u);  // zero when no default
  EXPECT_EQ(e.parameters[4].value.dwords, std::vector<uint32_t>{1});
  EXPECT_EQ(e.parameters[5].value.text, "text");
  const Parameter& ts = e.parameters[7];
  ASSERT_EQ(ts.sampler.size(), 4u);
  EXPECT_EQ(ts.sampler[0].id, 164u);
  EXPECT_EQ(ts.sampler[0].reference, "t");
  EXPECT_EQ(ts.sampler[1].id, 165u);
  EXPECT_EQ(ts.sampler[1].value, 2u);
  EXPECT_EQ(ts.sampler[2].id, 171u);
  EXPECT_EQ(ts.sampler[3].value, Bits(0.5f));
}

TEST(EffectParser, PassStatesMapToTheLoadersTableIds) {
  Effect e = ParseEffect(
      "shader S = ps_2_0 { mov oC0, c0 }\n"
      "technique T { pass P {\n"
      "  ZEnable = false; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; CullMode = None;\n"
      "  ColorWriteEnable = Red | Blue; BlendOpAlpha = Max; PointSize = 2.0; AlphaRef = 0x80;\n"
      "  PixelShader = S;\n"
      "} }\n");
  const auto& s = e.techniques[0].passes[0].states;
  ASSERT_EQ(s.size(), 9u);
  const std::pair<uint32_t, uint32_t> expected[] = {{0, 0},   {6, 5},  {7, 6},  {8, 1},          {73, 5},
                                                    {102, 5}, {60, Bits(2.0f)}, {10, 0x80}, {147, 0}};
  for (size_t i = 0; i < s.size(); ++i) {
    EXPECT_EQ(s[i].id, expected[i].first) << i;
    if (!s[i].shader) {
      EXPECT_EQ(s[i].value, expected[i].second) << i;
    }
  }
  EXPECT_EQ(s[8].shader->profile, "ps_2_0");
}

TEST(EffectParser, RejectsMalformedSourcesAtTheFaultyLine) {
  struct Case {
    const char* source;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"float a = 1;\nfloat a = 2;\n", 2, "declared twice"},
      {"float2 b = {1, 2, 3};\n", 1, "needs 2 values, found 3"},
      {"\nhalf h;\n", 2, "unknown type 'half'"},
      {"float a = 1\nfloat b;\n", 2, "expected ';'"},
      {"texture t;\nsampler2D s { Texture = <u>; };\n", 2, "not a declared texture"},
      {"texture t;\nsampler2D s {\n  AddressU = Sideways;\n};\n", 3, "not a value of AddressU"},
      {"texture t;\nsampler2D s {\n  MinFilter = Linear;\n  MinFilter = Point;\n};\n", 4, "set twice"},
      {"technique T {\n  pass P {\n    Frobnicate = 1;\n  }\n}\n", 3, "unknown render state"},
      {"technique T {\n}\n", 1, "has no pass"},
      {"float a;\n", 2, "no technique"},
      {"technique T { pass P {\n  VertexShader = ps_2_0 { mov oC0, c0 }\n} }\n", 2, "needs a vs_ profile"},
      {"technique T { pass P {\n  PixelShader = ps_9_9 { mov oC0, c0 }\n} }\n", 2, "unknown shader profile"},
      {"technique T { pass P {\n  PixelShader = Missing;\n} }\n", 2, "not a declared shader"},
      {"technique T { pass P {\n  PixelShader = ps_2_0 {\n    mov oC0, c0\n", 2, "no closing '}'"},
      {"string s = \"open\n;\n", 1, "unterminated string"},
      {"/* never closed\n\n", 1, "unterminated comment"},
      {"float a = 1.5x;\n", 1, "malformed number"},
      {"technique T { pass P { } }\ntechnique T { pass Q { } }\n", 2, "declared twice"},
      {"float a;\nint b = 4294967296;\n", 2, "does not fit in 32 bits"},
      {"int b = -2147483649;\n", 1, "does not fit in 32 bits"},
      {"\nfloat a[257];\n", 2, "array size must be 1 to 256"},
      {"float4 a[0];\n", 1, "array size must be 1 to 256"},
      {"float a = 1e50;\n", 1, "too large for a float"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    try {
      ParseEffect(c.source);
      ADD_FAILURE() << "accepted";
    } catch (const CompileError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// Shader code and the effect it reads from, parsed together.
ResolvedShader Resolve(const std::string& decls, const std::string& profile, const std::string& body) {
  Effect e = ParseEffect(decls + "technique T { pass P { PixelShader = ps_2_0 { mov oC0, c0 } } }\n");
  ShaderCode code;
  code.profile = profile;
  code.body = body;
  code.bodyLine = 1;
  return ResolveReferences(code, e);
}

TEST(ShaderReferences, ParametersTakeRegistersTheCodeDoesNotUse) {
  auto r = Resolve("float4x4 M; float k; float4 v[2]; texture t; sampler2D s { Texture = <t>; };\n", "vs_3_0",
                   "def c0, 1, 0, 0, 0\n"
                   "m4x4 o0, v0, $M  // $k in a comment is left alone\n"
                   "mul r0, $k.x, c5\n"
                   "add r0, $v[1], $M[3]\n"
                   "texldl r1, v1, $s\n");
  ASSERT_EQ(r.bindings.size(), 4u);
  EXPECT_EQ(r.bindings[0].name, "M");
  EXPECT_EQ(r.bindings[0].registerIndex, 1);  // c0 is the code's own
  EXPECT_EQ(r.bindings[0].registerCount, 4);
  EXPECT_EQ(r.bindings[1].name, "k");
  EXPECT_EQ(r.bindings[1].registerIndex, 6);  // c5 is the code's own too
  EXPECT_EQ(r.bindings[2].registerIndex, 7);
  EXPECT_EQ(r.bindings[2].registerCount, 2);
  EXPECT_EQ(r.bindings[3].registerSet, 3);
  EXPECT_EQ(r.bindings[3].registerIndex, 0);
  EXPECT_NE(r.text.find("m4x4 o0, v0, c1"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("$k in a comment"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("mul r0, c6.x, c5"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("add r0, c8, c4"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("texldl r1, v1, s0"), std::string::npos) << r.text;
}

// Constants bind in ps_1_x; samplers do not sample right there under Wine 8.
TEST(ShaderReferences, Ps1TakesConstantsButNoSamplers) {
  auto r = Resolve("float4 k; texture t; sampler2D a { Texture = <t>; };\n", "ps_1_1", "def c0, 1, 1, 1, 1\nmov r0, $k\n");
  ASSERT_EQ(r.bindings.size(), 1u);
  EXPECT_EQ(r.bindings[0].registerIndex, 1);
  try {
    Resolve("texture t; sampler2D a { Texture = <t>; };\n", "ps_1_1", "tex t0\n\nmul r0, t0, $a\n");
    ADD_FAILURE() << "accepted";
  } catch (const CompileError& e) {
    EXPECT_EQ(e.line, 3);
    EXPECT_NE(std::string(e.what()).find("from ps_2_0 on"), std::string::npos) << e.what();
  }
}

TEST(ShaderReferences, BadReferencesAreReportedAtTheirLine) {
  struct Case {
    const char* body;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"mov r0, c0\nmov oC0, $nope\n", 2, "not a declared parameter"},
      {"\n\nmov oC0, $t\n", 3, "cannot be read by shader code"},
      {"mov oC0, $m[4]\n", 1, "past its 4 register"},
      {"mov oC0, $\n", 1, "followed by a parameter name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    try {
      Resolve("float4x4 m; texture t;\n", "ps_2_0", c.body);
      ADD_FAILURE() << "accepted";
    } catch (const CompileError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// A table entry spans every register of its matrix or array, not only the one the code names,
// so the compiler checks the profile's limits itself.
TEST(ShaderReferences, RegistersPastTheProfilesLimitAreRejected) {
  struct Case {
    const char* profile;
    const char* body;
    int line;
    const char* message;
  };
  const char* decls =
      "float4 A[40]; float4 B[30]; float4 C[9]; float4 D[2]; float4 E[60]; float4x4 m;\n"
      "texture t; sampler2D s0 { Texture = <t>; }; sampler2D s1 { Texture = <t>; };\n"
      "sampler2D s2 { Texture = <t>; }; sampler2D s3 { Texture = <t>; }; sampler2D s4 { Texture = <t>; };\n";
  const Case cases[] = {
      {"ps_2_0", "mov oC0, $A\n", 1, "needs 40 constant register(s) from 0 on, but ps_2_0 has 32"},
      {"ps_2_0", "mov r0, $B\nmov r1, $m\n", 2, "needs 4 constant register(s) from 30 on"},
      {"ps_1_4", "mov r0, $C\n", 1, "ps_1_4 has 8"},
      {"vs_1_1", "mov r0, $E\nmov r1, $A\n", 2, "needs 40 constant register(s) from 60 on, but vs_1_1 has 96"},
      {"vs_2_0", "texldl r0, v0, $s0\n", 1, "vs_2_0 has 0"},
      {"vs_3_0", "texldl r0, v0, $s0\ntexldl r0, v0, $s1\ntexldl r0, v0, $s2\ntexldl r0, v0, $s3\ntexldl r0, v0, $s4\n",
       5, "needs 1 sampler register(s) from 4 on, but vs_3_0 has 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + ": " + c.body);
    try {
      Resolve(decls, c.profile, c.body);
      ADD_FAILURE() << "accepted";
    } catch (const CompileError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  // The last registers themselves are fine.
  EXPECT_EQ(Resolve(decls, "ps_2_0", "mov r0, $B\nmov r1, $D[1]\n").bindings.size(), 2u);
  EXPECT_EQ(Resolve(decls, "vs_2_0", "mov r0, $E\nmov r1, $A\n").bindings.size(), 2u);
  EXPECT_THROW(Resolve(decls, "ps_2_0", "mov r0, $B\nmov r1, $C\n"), CompileError);
  EXPECT_EQ(Resolve(decls, "vs_3_0", "mov r0, $A\nmov r1, $B\nmov r2, $m\ntexldl r0, v0, $s3\n").bindings.size(), 4u);
}

// The assembler reports register faults at the token after them; the compiler moves them back
// to the code line they belong to, past blank and comment lines.
TEST(ShaderAssembly, AssemblerFaultsCarryTheSourceLine) {
  struct Case {
    const char* source;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"float k;\ntechnique T {\n  pass P {\n    PixelShader = ps_2_0 {\n      mov r0, $k.x\n      frob oC0, r0\n"
       "    }\n  }\n}\n",
       6, "Unexpected input"},
      {"technique T { pass P {\n  PixelShader = ps_2_0 {\n    mov oC0, r99\n\n    // note\n    mov oC0, r0\n  }\n} }\n", 3,
       "r99 not supported"},
      {"float k;\n\ntechnique T { pass P { PixelShader = ps_2_0 { mov oC0, r99 } } }\n", 3, "r99 not supported"},
      {"technique T { pass P {\n  PixelShader = ps_2_0 {\n    mov r0, c0\n    mov oC0, r99 ; bad\n    ; more\n\n  }\n} }\n",
       4, "r99 not supported"},
      {"technique T { pass P {\n  PixelShader = ps_2_0 {\n    mov r0, c0\n    mov r0,, c0\n    mov oC0, r0\n  }\n} }\n", 4,
       "syntax error"},
      {"technique T { pass P {\n  VertexShader = vs_3_0 {\n    dcl_position v0\n    mov oPos, v0\n  }\n} }\n", 4,
       "oPos not supported in VS 3.0"},
      // A named shader that no pass uses is assembled all the same.
      {"shader Spare = ps_2_0 {\n  mov r0, c0\n  frob oC0, r0\n}\ntechnique T { pass P { } }\n", 3, "Unexpected input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    try {
      WriteEffect(ParseEffect(c.source));
      ADD_FAILURE() << "accepted";
    } catch (const CompileError& err) {
      EXPECT_EQ(err.line, c.line) << err.what();
      EXPECT_NE(std::string(err.what()).find(c.message), std::string::npos) << err.what();
    }
  }
}

// Windows rejects an instruction that reads more different registers of one file than the
// shader model's read ports (Wine's assembler accepts it): the compiler fails at its line.
TEST(ShaderAssembly, ReadPortLimitsOfEachProfileAreKept) {
  struct Case {
    const char* profile;
    const char* body;
    int line;  // 0: accepted
    const char* message;
  };
  const Case cases[] = {
      {"vs_1_1", "dcl_position v0\nmad r0, v0, $a, $b\n", 2, "reads at most 1 constant register(s) per instruction"},
      {"vs_1_1", "dcl_position v0\nmad r0, v0, $a, $a.x\n", 0, ""},
      {"vs_1_1", "dcl_position v0\ndcl_texcoord v1\nadd r0, v0, v1\n", 3, "1 input register(s)"},
      {"vs_1_1", "dcl_position v0\nm4x4 r0, v0, $m\nmov oPos, r0\n", 0, ""},
      {"vs_1_1", "dcl_position v0\nmov r1, $a\nmad r0, v0, r1, $b\n", 0, ""},
      {"ps_2_0", "mad r0, $a, $b, c0\n", 1, "reads at most 2 constant register(s)"},
      {"ps_2_0", "def c0, 1, 1, 1, 1\nmad r0, $a, $b, -$b\nmov oC0, r0\n", 0, ""},
      {"ps_2_0", "dcl t0\ndcl t1\n\nadd r0, t0, t1\n", 4, "1 texture coordinate register(s)"},
      {"ps_2_0", "dcl t0\nadd r0, t0, t0.yxzw\nmov oC0, r0\n", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    Effect e = ParseEffect(std::string("float4 a; float4 b; float4x4 m;\ntechnique T { pass P { ") +
                           (c.profile[0] == 'v' ? "VertexShader = " : "PixelShader = ") + c.profile + " {" + c.body +
                           "} } }\n");
    try {
      AssembleShader(*e.techniques[0].passes[0].states[0].shader, e);
      EXPECT_EQ(c.line, 0) << "accepted";
    } catch (const CompileError& err) {
      EXPECT_EQ(err.line, c.line + 1) << err.what();
      EXPECT_NE(std::string(err.what()).find(c.message), std::string::npos) << err.what();
    }
  }
}

TEST(ShaderAssembly, ConstantTableSitsRightAfterTheVersionToken) {
  Effect e = ParseEffect("float k;\ntechnique T { pass P { PixelShader = ps_2_0 { mov oC0, $k.x } } }\n");
  std::vector<uint32_t> code = AssembleShader(*e.techniques[0].passes[0].states[0].shader, e);
  ASSERT_GE(code.size(), 3u);
  EXPECT_EQ(code[0], 0xFFFF0200u);
  EXPECT_EQ(code[1] & 0xFFFF, 0xFFFEu);  // comment token
  EXPECT_EQ(code[2], 0x42415443u);       // 'CTAB'
  EXPECT_EQ(code[3], 28u);               // header size, the only one the loader takes
  uint32_t commentWords = code[1] >> 16;
  EXPECT_EQ(code.back(), 0x0000FFFFu);  // end token after the table and the instructions
  EXPECT_GT(code.size(), 2 + commentWords);
}

TEST(EffectWriter, ObjectIdsAreUniqueAndStartAtOne) {
  Effect e = ParseEffect(
      "texture a; texture b; string s = \"x\";\n"
      "sampler2D sa { Texture = <a>; }; sampler2D sb { Texture = <b>; };\n"
      "technique T { pass P { PixelShader = ps_2_0 { mov oC0, c0 } } pass Q { PixelShader = ps_2_0 { mov oC0, c1 } } }\n");
  std::vector<uint8_t> bytes = WriteEffect(e, [](const ShaderCode&, const Effect&) {
    return std::vector<uint32_t>{0xFFFF0200u, 0x0000FFFFu};
  });
  auto dword = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  EXPECT_EQ(dword(0), 0xFEFF0901u);
  size_t structured = 8 + dword(4);
  EXPECT_EQ(dword(4) % 4, 0u);
  EXPECT_EQ(dword(structured), 5u);      // parameters
  EXPECT_EQ(dword(structured + 4), 1u);  // techniques
  // Objects: 2 textures, 1 string, 2 sampler texture states, 2 shaders = ids 1..7.
  EXPECT_EQ(dword(structured + 12), 8u);
}

}  // namespace
