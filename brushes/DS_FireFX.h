#pragma once
// Flames: a compiled effect samples a flame pattern and a noise picture scrolled upwards at
// three speeds over an 8 x 8 grid spanned by four corners, coloured between two colours.
// It serves as a brush of a slide (technique "Main", inside its mask) and as the fire of
// the flame light, which draws its own quad with the same effect (technique "AsEffect").
#include <d3dx9math.h>

#include <memory>

#include "brushes/DS_FX_Constructor.h"
#include "device/Meshes.h"
#include "document/MediaCompound.h"
#include "runtime/Quads.h"

class DS_FireFX : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_FireFX", 2};
  static constexpr uint32_t kGridCells = 8;

  DS_FireFX();
  // Shares the textures and the grid's buffers.
  DS_FireFX(const DS_FireFX& other);
  // Every field, the brush base's included; shares textures, effect, mask and grid. The
  // flame light copies the fire read from its record into its own.
  DS_FireFX& operator=(const DS_FireFX& other);
  ~DS_FireFX() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // Effect and mask, the first textures of the pattern and the noise, the grid.
  void BindResources(ComRef<IDirect3DTexture9>* mask) override;
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_FireFX(*this); }
  bool CanDraw() const override { return Effect() && pattern_ && noise_; }
  // Never, whatever its flag: its technique is "Main" always, which adds the flames over
  // what is drawn and reads no "Background". Counted as a scene effect, it ended the capture
  // before itself and burned over a back buffer the picture never reached. The flag is
  // still read, copied and written.
  bool SamplesScene() const override { return false; }

  // The grid's 81 vertices from the corners and the tiling.
  void BuildGrid();
  // What the brush and the flame light both set: the mesh's transforms, the two textures
  // and the three scroll offsets.
  void SetCommonParams(const DS_SimpleMesh<DX_V::PT>& mesh);
  // The corner records the grid is filled from.
  DS_QuadCorners GridCorners() const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Own fields only when the version is above 1, then the brush base's record.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  // Class name and version (neither compared), then a new fire reads that version.
  static std::unique_ptr<DS_FireFX> ReadNewRecord(DS_IOF_Holder stream);

  IDirect3DTexture9* PatternTexture() const { return pattern_.Get(); }
  IDirect3DTexture9* NoiseTexture() const { return noise_.Get(); }
  DS_IndexedMesh<DX_V::PT>& Grid() { return grid_; }

  MediaQuad corners;
  MediaColor colour1;  // the hot end: red in the lowest byte
  MediaColor colour2;  // the cool end
  MediaParamT<int> storedInt1;  // carried by the record only
  DS_ImageFileLink patternLink;
  DS_ImageFileLink noiseLink;
  MediaParamTB<int> storedInt2;  // carried by the record only
  UINTSclaleTo<float> density;
  UINTSclaleTo<float> brightness;
  UINTSclaleTo<float> tiling;

 private:
  void CreateGridMesh8x8();

  ComRef<IDirect3DTexture9> pattern_;
  ComRef<IDirect3DTexture9> noise_;
  DS_IndexedMesh<DX_V::PT> grid_;
  uint32_t gridColumns_ = 0;
  uint32_t gridRows_ = 0;
};
