#pragma once
// The picture light of a slide: draws the slide's picture as a full-screen mesh through
// the 2D view (stretched, fitted with letterbox bars, or filling with cropping) with the
// pan and zoom of its camera, and is the draw host of the slide's render objects. It also
// runs the scene capture for objects that sample the scene drawn before them. The lights
// of the picture-light family derive from it and extend its operations.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "device/ComRef.h"
#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaParam.h"
#include "runtime/DSM_Camera.h"
#include "runtime/DS_ABObj.h"
#include "runtime/DS_ABRender.h"
#include "runtime/DS_RenderTargetPair.h"
#include "runtime/DS_SharedPtr.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"

// The picture mesh: four DX_V::PT vertices with the texture coordinates of a full picture;
// its positions span the picture in pixels; its texture is the picture's.
void CreateScreenMesh(DS_ImageQuad& mesh);
void SetQuadSizePT(DS_ImageQuad& mesh, float width, float height);
void SetQuadTexturePT(DS_ImageQuad& mesh, const DS_TextureInfo& info);

class DS_2D_Light : public DS_ABRender, public DS_IOF_Item {
 public:
  DS_2D_Light();
  ~DS_2D_Light() override;
  DS_2D_Light(const DS_2D_Light&) = delete;
  DS_2D_Light& operator=(const DS_2D_Light&) = delete;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // The draw host.
  void DrawObjectFrame(DS_SimpleMesh<DX_V::PC>& quad, int m, bool steady) override;
  void DrawIndexedMeshWithEffect(DS_IndexedMesh<DX_V::PT>& mesh, ID3DXEffect* effect) override;
  void DrawMeshWithEffect(DS_SimpleMesh<DX_V::PT>& mesh, ID3DXEffect* effect) override;
  void DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>& part, IDirect3DTexture9* texture, bool translucent,
                         const std::list<DS_Frame*>& frames) override;
  void DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>& array, IDirect3DTexture9* texture,
                       IDirect3DTexture9* overlay, uint32_t blendSetting) override;
  void DrawFrameList(const DS_IndexedMesh<DX_V::PNT>& mesh, IDirect3DTexture9* texture,
                     const std::list<DS_Frame*>& children) override;
  ComRef<IDirect3DTexture9>* GetSceneTexture() override { return &sceneTexture_; }
  DS_ImageQuad& GetScreenMesh() override { return pictureMesh_; }
  uint32_t GetImageWidth() override { return pictureMesh_.info.width; }
  uint32_t GetImageHeight() override { return pictureMesh_.info.height; }

  // Once after loading: picture mesh and texture, letterbox bars, marker textures.
  virtual void CreateDeviceResources();
  // On every activation and after a device reset: fixed device states, the resource
  // manager's effects, the capture targets at the back buffer's size.
  virtual void AcquireDeviceResources();
  // Before a device reset (any number of times).
  virtual void ReleaseDeviceResources();
  // The letterbox bars (fit mode only).
  virtual void RenderOverlay();
  // Clears and draws the picture.
  virtual void RenderBackground();
  virtual void Update(float t);
  virtual void Resize(int32_t width, int32_t height);
  virtual void SetPicturePosition(int32_t mode);
  virtual bool IsCameraDrifting();
  // The slide's fader: an alpha-blended screen quad.
  virtual void DrawScreenQuad(DS_SimpleMesh<DX_V::SC>& quad);
  virtual void BeginSceneCapture();
  // Back to the back buffer; the pair's current texture holds the captured scene.
  virtual DS_RenderTargetPair& EndSceneCapture(bool clear);
  virtual bool NeedsSceneCapture() { return false; }
  virtual void CreateCentredOverlay(int32_t width, int32_t height, int32_t mode);
  virtual void DestroyCentredOverlay();
  virtual void OnImageChanged();

  // Draws the objects from last to first. n counts the capture users (the objects that
  // sample the scene, plus this light when it samples it): each sampling object gets the
  // scene drawn so far as scene texture, and the last one draws straight to the back
  // buffer.
  void RenderObjects(const std::vector<DS_SharedPtr<DS_ABObj>>& objects, int n);
  // Restarts the drift from the centre; whether the camera was drifting already.
  bool ResetCameraDrift();

  // The record: the picture link from version 2 on, the camera's record from version 3 on.
  static constexpr RecordId kRecord{L"DS_2D_Light", 3};
  // The reader registered as "DS_2D_Light" (the registry has read the head).
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version);
  // The "DS_2D_Light" section that ends the record of every picture light.
  void ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  DS_ImageFileLink& PictureLink() { return pictureLink_; }
  DSM_Camera& Camera() { return camera_; }
  DS_RenderTargetPair& CaptureTargets() { return captureTargets_; }
  int32_t Width() const { return width_; }
  int32_t PicturePositionMode() const { return picturePositionMode_; }
  int32_t Height() const { return height_; }

 protected:
  // The picture link's texture set into the picture mesh.
  static void LoadImageTexture(DS_ImageFileLink& link, DS_ImageQuad& mesh);
  void DrawQuadPC(DS_SimpleMesh<DX_V::PC>& quad);

  DS_ImageFileLink pictureLink_;
  DSM_Camera camera_;
  DS_ImageQuad pictureMesh_;
  ComRef<IDirect3DTexture9> sceneTexture_;
  ComRef<IDirect3DTexture9> markers_[5];  // corners 54, 55, 56, 57; frame 61
  int32_t picturePositionMode_ = kPictureFit;
  int32_t overlayMode_ = kPictureFit;
  DS_RenderTargetPair captureTargets_;
  std::unique_ptr<DS_TexturedQuad<DX_V::SCT>> overlayQuad_;
  DS_ControlList controls_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
