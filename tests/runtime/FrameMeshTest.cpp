// Frames, animators and buffer sharing of meshes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "device/DS_Frame.h"
#include "device/Meshes.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {
D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}
D3DXMATRIX Scaling(float s) {
  D3DXMATRIX m;
  D3DXMatrixScaling(&m, s, s, s);
  return m;
}
void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a(r, c), b(r, c), 1e-5) << r << "," << c;
}

// Writes local x its own scale and counts its calls and its destruction.
struct ScaleAnimator : DS_AnimationBase {
  ScaleAnimator(int* calls, bool* destroyed) : calls(calls), destroyed(destroyed) {}
  ~ScaleAnimator() override { *destroyed = true; }
  void Apply(DS_Frame& f) override {
    ++*calls;
    f.world = f.local * Scaling(2.0f);
  }
  int* calls;
  bool* destroyed;
};
}  // namespace

TEST(Frame, WorldIsLocalAloneOrTimesParent) {
  DS_Frame f;
  f.local = Translation(1, 2, 3);
  f.UpdateWorld(nullptr);
  ExpectMatrixNear(f.world, f.local);
  D3DXMATRIX parent = Scaling(3.0f);
  f.UpdateWorld(&parent);
  ExpectMatrixNear(f.world, Translation(1, 2, 3) * Scaling(3.0f));
}

TEST(Frame, ChildrenFollowTheParentsNewWorldInOrder) {
  DS_Frame root, a, b;
  root.local = Translation(10, 0, 0);
  a.local = Translation(0, 1, 0);
  b.local = Scaling(2.0f);
  root.children = {&a, &b};
  root.UpdateWorld(nullptr);
  ExpectMatrixNear(a.world, Translation(0, 1, 0) * Translation(10, 0, 0));
  ExpectMatrixNear(b.world, Scaling(2.0f) * Translation(10, 0, 0));
  root.local = Translation(-5, 0, 0);
  root.UpdateWorld(nullptr);
  ExpectMatrixNear(a.world, Translation(0, 1, 0) * Translation(-5, 0, 0));
}

TEST(Frame, AnimatorReplacesTheCopyAndWorksInParentSpace) {
  int calls = 0;
  bool destroyed = false;
  DS_Frame f;
  f.local = Translation(1, 0, 0);
  f.animator = std::make_unique<ScaleAnimator>(&calls, &destroyed);
  D3DXMATRIX parent = Translation(0, 5, 0);
  f.UpdateWorld(&parent);
  EXPECT_EQ(calls, 1);
  ExpectMatrixNear(f.world, Translation(1, 0, 0) * Scaling(2.0f) * Translation(0, 5, 0));
}

TEST(Frame, DestroyingDeletesTheAnimatorButNotTheChildren) {
  int calls = 0;
  bool destroyed = false;
  DS_Frame child;
  child.local = Translation(7, 0, 0);
  {
    DS_Frame root;
    root.animator = std::make_unique<ScaleAnimator>(&calls, &destroyed);
    root.children.push_back(&child);
  }
  EXPECT_TRUE(destroyed);
  child.UpdateWorld(nullptr);  // still alive
  ExpectMatrixNear(child.world, Translation(7, 0, 0));
}

TEST(Frame, AnimatorHasOneOwner) {
  int calls = 0;
  bool destroyed = false;
  DS_Frame f;
  f.animator = std::make_unique<ScaleAnimator>(&calls, &destroyed);
  EXPECT_THROW(DS_Frame copy(f), std::logic_error);
  DS_Frame target;
  EXPECT_THROW(target = f, std::logic_error);
  EXPECT_EQ(target.animator, nullptr);

  DS_Frame moved(std::move(f));
  EXPECT_NE(moved.animator, nullptr);
  EXPECT_EQ(f.animator, nullptr);
  EXPECT_FALSE(destroyed);

  // Frames without animator copy freely, sharing the children.
  DS_Frame child, plain;
  plain.children.push_back(&child);
  plain.winding = 0;
  DS_Frame copy(plain);
  EXPECT_EQ(copy.children.front(), &child);
  EXPECT_EQ(copy.winding, 0);
}

TEST(Mesh, DefaultsAreAnEmptyTriangleStrip) {
  DS_IndexedMesh<DX_V::PT> m;
  EXPECT_FALSE(m.vertexBuffer);
  EXPECT_FALSE(m.indexBuffer);
  EXPECT_EQ(m.primitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(m.vertexCount, 0u);
  EXPECT_EQ(m.primitiveCount, 0u);
  EXPECT_EQ(m.indexedPrimitiveCount, 0u);
  EXPECT_EQ(m.winding, 1);
  EXPECT_EQ(m.boundingRadius, 0.0f);
}

TEST(Mesh, CopiesShareBuffersThatOutliveTheSource) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto copy = std::make_unique<DS_IndexedMesh<DX_V::PNT>>();
  IDirect3DVertexBuffer9* vb = nullptr;
  {
    DS_IndexedMesh<DX_V::PNT> source;
    ASSERT_TRUE(SUCCEEDED(CreateMeshVertexBuffer(3, source)));
    ASSERT_TRUE(SUCCEEDED(dev.Device()->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                          source.indexBuffer.Put(), nullptr)));
    source.indexedPrimitiveCount = 1;
    vb = source.vertexBuffer.Get();
    ULONG before = source.vertexBuffer.RefCount();
    *copy = source;
    EXPECT_EQ(source.vertexBuffer.RefCount(), before + 1);
    EXPECT_EQ(copy->vertexBuffer.Get(), vb);
    EXPECT_EQ(copy->indexBuffer.Get(), source.indexBuffer.Get());
    EXPECT_EQ(copy->vertexCount, 3u);
    EXPECT_EQ(copy->indexedPrimitiveCount, 1u);
  }
  EXPECT_EQ(copy->vertexBuffer.RefCount(), 1u);
  ASSERT_NE(copy->Lock(), nullptr);
  copy->Unlock();

  // Vectors of meshes move their elements when they grow: still one reference each.
  std::vector<DS_IndexedMesh<DX_V::PNT>> many;
  many.push_back(*copy);
  for (int i = 0; i < 8; ++i) many.emplace_back();
  EXPECT_EQ(copy->vertexBuffer.RefCount(), 2u);
}

TEST(Mesh, CreatingAQuadTwiceHoldsOnlyTheSecondBuffer) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_SimpleMesh<DX_V::SC> quad;
  ASSERT_TRUE(SUCCEEDED(CreateQuadSC(quad)));
  ComRef<IDirect3DVertexBuffer9> first = quad.vertexBuffer;
  EXPECT_EQ(first.RefCount(), 2u);
  ASSERT_TRUE(SUCCEEDED(CreateQuadSC(quad)));
  EXPECT_NE(quad.vertexBuffer.Get(), first.Get());
  EXPECT_EQ(first.RefCount(), 1u);  // the mesh let go of it
  EXPECT_EQ(quad.vertexBuffer.RefCount(), 1u);
  EXPECT_EQ(quad.primitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(quad.primitiveCount, 2u);
  EXPECT_EQ(quad.vertexCount, 4u);
  D3DVERTEXBUFFER_DESC desc;
  quad.vertexBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 4u * 20u);
  EXPECT_EQ(desc.FVF, 0x44u);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(desc.Usage & D3DUSAGE_WRITEONLY, DWORD(D3DUSAGE_WRITEONLY));
}

TEST(Mesh, BuffersHaveTheLayoutsStrides) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto check = [](auto& mesh, UINT stride, DWORD fvf) {
    ASSERT_TRUE(SUCCEEDED(CreateMeshVertexBuffer(5, mesh)));
    D3DVERTEXBUFFER_DESC desc;
    mesh.vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 5 * stride);
    EXPECT_EQ(desc.FVF, fvf);
  };
  DS_SimpleMesh<DX_V::PCT> pct;
  DS_SimpleMesh<DX_V::PT> pt;
  DS_SimpleMesh<DX_V::PC> pc;
  DS_SimpleMesh<DX_V::PNT> pnt;
  DS_SimpleMesh<DX_V::SCT> sct;
  check(pct, 24, 0x142);
  check(pt, 20, 0x102);
  check(pc, 16, 0x42);
  check(pnt, 32, 0x112);
  check(sct, 28, 0x144);
}

// Each binding leaves the layout's FVF, stream 0 with the mesh's buffer at its stride, no
// vertex shader, and the index buffer or texture of its kind on the device.
TEST(Binding, EachLayoutBindsItsFormatStrideAndBuffers) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  IDirect3DDevice9* d = dev.Device();
  ComRef<ID3DXBuffer> code;
  const char vs[] = "vs_1_1\ndcl_position v0\nmov oPos, v0\n";
  ASSERT_TRUE(SUCCEEDED(D3DXAssembleShader(vs, sizeof vs - 1, nullptr, nullptr, 0, code.Put(), nullptr)));
  ComRef<IDirect3DVertexShader9> shader;
  ASSERT_TRUE(SUCCEEDED(d->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), shader.Put())));
  auto texture = MakeTexture(2, 2, [](UINT, UINT) { return 0xFFFFFFFFu; });

  struct Expected {
    IDirect3DVertexBuffer9* vertices;
    DWORD fvf;
    UINT stride;
    IDirect3DIndexBuffer9* indices;  // null: not an indexed binding
    IDirect3DTexture9* texture;      // null: not a textured binding
  };
  auto check = [&](const char* name, const Expected& e, const auto& bind) {
    SCOPED_TRACE(name);
    d->SetVertexShader(shader.Get());
    d->SetIndices(nullptr);
    d->SetTexture(0, nullptr);
    bind();
    DWORD fvf = 0;
    d->GetFVF(&fvf);
    EXPECT_EQ(fvf, e.fvf);
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 99, stride = 0;
    d->GetStreamSource(0, stream.Put(), &offset, &stride);
    EXPECT_EQ(stream.Get(), e.vertices);
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(stride, e.stride);
    ComRef<IDirect3DVertexShader9> bound;
    d->GetVertexShader(bound.Put());
    EXPECT_FALSE(bound);
    ComRef<IDirect3DIndexBuffer9> indices;
    d->GetIndices(indices.Put());
    EXPECT_EQ(indices.Get(), e.indices);
    ComRef<IDirect3DBaseTexture9> stage0;
    d->GetTexture(0, stage0.Put());
    EXPECT_EQ(stage0.Get(), static_cast<IDirect3DBaseTexture9*>(e.texture));
  };
  auto withIndices = [&](auto& mesh) {
    EXPECT_TRUE(SUCCEEDED(CreateMeshVertexBuffer(4, mesh)));
    EXPECT_TRUE(SUCCEEDED(d->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                               mesh.indexBuffer.Put(), nullptr)));
  };

  DS_IndexedMesh<DX_V::PT> pt;
  withIndices(pt);
  check("BindIndexedPT", {pt.vertexBuffer.Get(), 0x102, 20, pt.indexBuffer.Get(), nullptr}, [&] { BindIndexedPT(pt); });
  DS_IndexedMesh<DX_V::PNT> pnt;
  withIndices(pnt);
  check("BindIndexedPNT", {pnt.vertexBuffer.Get(), 0x112, 32, pnt.indexBuffer.Get(), nullptr},
        [&] { BindIndexedPNT(pnt); });
  DS_IndexedMesh<DX_V::PCT> pct;
  withIndices(pct);
  check("BindIndexedPCT", {pct.vertexBuffer.Get(), 0x142, 24, pct.indexBuffer.Get(), nullptr},
        [&] { BindIndexedPCT(pct); });
  DS_TexturedQuad<DX_V::PT> picture;
  CreateQuadPT(picture);
  picture.texture = texture;
  check("BindTexturedPT", {picture.vertexBuffer.Get(), 0x102, 20, nullptr, texture.Get()},
        [&] { BindTexturedPT(picture); });
  DS_TexturedQuad<DX_V::SCT> screenQuad;
  CreateQuadSCT(screenQuad);
  screenQuad.texture = texture;
  check("BindTexturedSCT", {screenQuad.vertexBuffer.Get(), 0x144, 28, nullptr, texture.Get()},
        [&] { BindTexturedSCT(screenQuad); });
  DS_SimpleMesh<DX_V::SC> fader;
  CreateQuadSC(fader);
  check("BindQuadSC", {fader.vertexBuffer.Get(), 0x44, 20, nullptr, nullptr}, [&] { BindQuadSC(fader); });
}
