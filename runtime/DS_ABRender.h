#pragma once
// The draw interface a picture light offers to the render objects of its slide. The host
// sets the device states for each kind of object, so that an object only supplies its
// geometry, textures and effect. Called from an object's Render, inside BeginScene and
// EndScene on g_currentDevice.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <list>

#include "device/ComRef.h"
#include "device/DS_Frame.h"
#include "device/Meshes.h"
#include "runtime/Quads.h"

class DS_ABRender {
 public:
  virtual ~DS_ABRender() = default;

  // The rectangle frame and corner markers of a placed object: marker choice m 0 draws the
  // frame marker on every corner with a pulsing alpha, any other m each corner's own marker.
  virtual void DrawObjectFrame(DS_SimpleMesh<DX_V::PC>& quad, int m, bool steady) = 0;
  // Every pass of the effect over the indexed mesh; the world transform is not touched.
  virtual void DrawIndexedMeshWithEffect(DS_IndexedMesh<DX_V::PT>& mesh, ID3DXEffect* effect) = 0;
  // Every pass of the effect over the mesh, placed by its world matrix through the view.
  virtual void DrawMeshWithEffect(DS_SimpleMesh<DX_V::PT>& mesh, ID3DXEffect* effect) = 0;
  // A 3D object's mesh part at each of its frames; a translucent part is blended and drawn
  // a second time with the opposite cull mode, so back faces follow front faces.
  virtual void DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>& part, IDirect3DTexture9* texture,
                                 bool translucent, const std::list<DS_Frame*>& frames) = 0;
  // A sprite array with the texture of its current image frame; with an overlay texture
  // the same sprites are drawn again with it. Blend setting 0 (or an overlay) blends over
  // the scene, any other setting adds.
  virtual void DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>& array, IDirect3DTexture9* texture,
                               IDirect3DTexture9* overlay, uint32_t blendSetting) = 0;
  // One leaf mesh at every child frame, both faces.
  virtual void DrawFrameList(const DS_IndexedMesh<DX_V::PNT>& mesh, IDirect3DTexture9* texture,
                             const std::list<DS_Frame*>& children) = 0;
  // The texture holding the scene drawn so far (the picture, or the captured scene for
  // an object that samples it).
  virtual ComRef<IDirect3DTexture9>* GetSceneTexture() = 0;
  virtual DS_ImageQuad& GetScreenMesh() = 0;
  virtual uint32_t GetImageWidth() = 0;
  virtual uint32_t GetImageHeight() = 0;
};
