#pragma once
// Pattern brushes: a picture (or an animation of several frames) tiled over the masked
// area, zoomed, rotated, scrolled and mirrored. "DS_PatternBrushC" is the same brush
// stored under its own class name; its render object drives a DS_PatternBrush.
#include "brushes/DS_FX_Constructor.h"
#include "device/DS_TextureSet.h"

class DS_PatternBrush : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_PatternBrush", 1};

  DS_PatternBrush();
  // Every field; the pattern's textures are shared.
  DS_PatternBrush(const DS_PatternBrush& other);
  ~DS_PatternBrush() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // The effect and the mask, then the pattern.
  void BindResources(ComRef<IDirect3DTexture9>* mask) override;
  // The clock, then the frame stepping.
  void Update(float time) override;
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_PatternBrush(*this); }
  // A pattern without a picture, or a frame without its texture, draws nothing.
  bool CanDraw() const override { return Effect() && patternTextures.height != 0 && CurrentTexture(); }

  // The pattern's textures from a module's picture package (a path ending in ".dll") or
  // from the document's pictures; back to the first frame.
  void LoadPattern();
  // The texture of the current frame, when the set holds one under that index.
  IDirect3DTexture9* CurrentTexture() const;
  // "coord_transf" for a picture of w x h pixels.
  D3DXMATRIX CoordTransform(float w, float h) const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Class name and version (neither consulted), then the fields.
  void ReadRecord(DS_IOF_Holder stream);
  // One layout: the version is not consulted.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  DS_ImageFileLink pattern;
  MediaParamT<int> verticalMirror;    // nonzero negates the vertical scale
  MediaParamT<int> horizontalMirror;  // nonzero negates the horizontal scale
  MediaParamT<unsigned int> rotation;  // degrees
  UINTSclaleTo<float> zoom;
  UINTSclaleTo<float> scrollX;
  UINTSclaleTo<float> scrollY;
  DS_TextureSet patternTextures;
  uint32_t frameIndex = 0;
  float frameStart = 0.0f;  // clock time at which the current frame began
};

class DS_PatternBrushC : public DS_PatternBrush {
 public:
  static constexpr RecordId kRecord{L"DS_PatternBrushC", 1};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // Class name, version, then one whole "DS_PatternBrush" record.
  void WriteRecord(DS_IOF_Holder stream);
  void Read(DS_IOF_Holder stream, int32_t) { DS_PatternBrush::ReadRecord(stream); }
};
