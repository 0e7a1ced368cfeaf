#pragma once
// The matrix-code light: columns of falling glyphs over the slide. Behind the glyphs it
// draws the picture, or black with each glyph's opacity taken from the brightness of the
// picture under it. The grid and its simulation are the code rain (CodeRain.h); the glyphs
// are drawn as one batch of screen quads, one per cell.
#include <cstdint>
#include <memory>
#include <vector>

#include "document/DS_FileLink3.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "lights/CodeRain.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_QuadBatch.h"

class DS_MatrixCodeLight : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"DS_MatrixCodeLight", 2};
  static constexpr int kLuminanceSize = 256;

  // What is drawn behind the glyphs (any other value: nothing).
  enum BackgroundMode : int { kPictureBehind = 0, kBlackLitByPicture = 1 };

  DS_MatrixCodeLight();
  ~DS_MatrixCodeLight() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void CreateDeviceResources() override;
  void AcquireDeviceResources() override;
  void RenderBackground() override;
  void Update(float t) override { time_ = t; }
  void SetPicturePosition(int32_t mode) override;
  void OnImageChanged() override;

  // One step of the rain, turned into the batch's quads.
  void StepAndBuildGlyphs(float time);
  // A new grid (fresh random state) from the layout.
  void RebuildGrid();
  // One quad per cell of the picture.
  void ResizeGlyphBatch();
  // In black mode: the picture's luminance on a 256 x 256 lattice.
  void BuildLuminanceMap();

  // The record.
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);  // own fields, then the base record
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);  // own fields only

  MediaParamT<unsigned int> cellSize{16};
  MediaParamT<unsigned int> density{20};
  MediaParamT<unsigned int> mutatingCount{50};
  MediaParamT<int> sparkles{0};
  MediaParamT<int> backgroundMode{kPictureBehind};
  MediaParamT<int> startMode{2};
  MediaColor trailColour{0};  // red in the lowest byte
  MediaColor headColour{0};
  UINTSclaleTo<float> brightness;  // 1 - 0.01 x raw
  DS_ImageFileLink glyphSheet;

  DS_QuadBatchList& GlyphBatch() { return glyphBatch_; }
  DS_CodeRainCursor* Cursor() { return cursor_.get(); }
  DS_CodeRainLayout& Layout() { return *layout_; }
  const std::vector<float>* LuminanceMap() const { return luminance_.get(); }
  // Whether the glyph sheet gave glyphs to draw.
  bool HasGlyphs() const { return hasGlyphs_; }

 private:
  DS_QuadBatchList glyphBatch_;
  std::unique_ptr<DS_CodeRainCursor> cursor_;
  std::unique_ptr<DS_CodeRainLayout> layout_;
  std::unique_ptr<std::vector<float>> luminance_;
  float time_ = 0.0f;
  bool hasGlyphs_ = false;
};
