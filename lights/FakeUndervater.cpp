#include "lights/FakeUndervater.h"

#include <memory>

#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

void FakeUndervater::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  effect.BindResources(nullptr);
}

void FakeUndervater::RenderOverlay() {
  if (!NeedsSceneCapture()) {
    DS_2D_Light::RenderOverlay();
    return;
  }
  DS_RenderTargetPair& captured = EndSceneCapture(false);
  // Without capture targets the slide went straight to the back buffer and stays there.
  if (captured.current) {
    if (sceneTexture_.Get() != captured.current.Get()) sceneTexture_ = captured.current;
    effect.Render(*this);
  }
  g_view2D->DrawBars();
}

void FakeUndervater::Update(float t) {
  DS_2D_Light::Update(t);
  effect.Update(t);
}

void FakeUndervater::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void FakeUndervater::WriteFields(DS_IOF_Holder stream) {
  effect.WriteRecord(stream);
  DS_2D_Light::WriteRecord(stream);
}

void FakeUndervater::ReadFields(DS_IOF_Holder stream, int32_t version) {
  if (version == 1) {
    ReadScaled(stream, effect.speed);
    effect.speed.SetValue(effect.speed.Value() >> 1);
  } else {
    std::unique_ptr<DS_UnderwaterFX> read = DS_UnderwaterFX::ReadNewRecord(stream);
    effect = *read;
  }
  DS_2D_Light::ReadRecord(stream);
}
