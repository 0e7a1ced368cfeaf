#include "runtime/DS_SlideShow_Light.h"

#include "device/TextureHelpers.h"
#include "document/ReaderRegistry.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"

DS_SlideShow_Light::~DS_SlideShow_Light() {
  fader_.reset();
  audioFiles.clear();
  slides.clear();
  current.Release();
}

void DS_SlideShow_Light::ActivateSlide() {
  DS_SlideContainer* slide = current.Get();
  if (!slide) return;
  // The slide comes up in its own light's picture position: Resize keeps the shared view's
  // mode, which the light before may have changed (the glass ball leaves fit mode behind for
  // its backdrop, so every later slide lost the user's stretch or fill).
  if (slide->light) g_view2D->mode = slide->light->PicturePositionMode();
  D3DSURFACE_DESC desc;
  GetBackBufferDesc(desc);  // all zero without a device or back buffer
  if (desc.Width != 0) slide->Resize(int32_t(desc.Width), int32_t(desc.Height));
  if (slide->light) slide->light->ResetCameraDrift();
  slide->AcquireDeviceResources();
}

int DS_SlideShow_Light::Update(float t) {
  if (!current) {
    if (slides.empty() || !slides[0]) return 0;
    current = slides[0];
    slideStart = t - float(current->fadeIn.Value());
    ActivateSlide();
    fader_ = std::make_unique<DS_SimpleMesh<DX_V::SC>>();
    CreateQuadSC(*fader_);
    DS_QuadCorners corners;
    FitQuadToBackBuffer(corners);
    FillQuadSC(*fader_, 0, corners);
    fade_ = 0.0f;
    faderAlpha_ = 0;
    SetFaderVisible(false);
  } else if (slides.size() >= 2) {
    // The timing of the slide shown when this update began; a switch keeps it for the
    // rest of the update.
    const unsigned fi = current->fadeIn.Value();
    const unsigned fo = current->fadeOut.Value();
    const unsigned sh = current->showTime.Value();
    const float e = t - slideStart;
    if (e > float(uint32_t(fi + sh + fo))) {
      current = slides[size_t(nextIndex)];
      slideStart = t;
      nextIndex = size_t(nextIndex) + 1 < slides.size() ? nextIndex + 1 : 0;
      ActivateSlide();
    }
    const float a = t - slideStart;
    if (a < float(fi))
      fade_ = (float(fi) - a) / float(fi);
    else if (a <= float(fi + sh))
      fade_ = 0.0f;
    else
      fade_ = (a - float(fi) - float(sh)) / float(fo);
    // Written only when its alpha changes: every lock of the managed buffer waits for the
    // device, and for the whole show time the alpha stays 0.
    if (AlphaByte(fade_) != faderAlpha_) {
      SetQuadAlphaSC(*fader_, fade_, fade_, fade_, fade_);
      faderAlpha_ = AlphaByte(fade_);
    }
    // Fully transparent, the fader cannot change a pixel: it keeps its states but draws no
    // primitive (a slide through the plain light then draws one screen of pixels, not two).
    SetFaderVisible(AlphaByte(fade_) != 0);
  }
  current->Update(t);
  return 0;
}

void DS_SlideShow_Light::SetFaderVisible(bool visible) {
  // The screen quad's two triangles, or none: a quad of no primitives draws nothing.
  if (fader_) fader_->primitiveCount = visible ? 2 : 0;
}

int DS_SlideShow_Light::Render() {
  DS_SlideContainer* slide = current.Get();
  if (!slide) return 0;
  slide->RenderScene();
  slide->RenderOverlay();
  if (slide->light && fader_) slide->light->DrawScreenQuad(*fader_);
  return 0;
}

void DS_SlideShow_Light::ReleaseDeviceResources() {
  for (auto& slide : slides) slide->ReleaseDeviceResources();
}

void DS_SlideShow_Light::AcquireDeviceResources() {
  if (current) current->AcquireDeviceResources();
}

void DS_SlideShow_Light::SetPicturePosition(int32_t mode) {
  for (auto& slide : slides) slide->SetPicturePosition(mode);
}

void DS_SlideShow_Light::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadSlides(stream);
  ReadAudioFiles(stream);
}

void DS_SlideShow_Light::ReadSlides(DS_IOF_Holder stream) {
  int32_t count = 0;
  stream->ReadInt(count);
  for (int32_t i = 0; i < count; ++i) {
    DS_SlideContainer* slide = ReadSlideContainerByClassName(stream);
    if (!slide) throw DS_LoadError("slide of a class that is not registered");
    slides.emplace_back(slide);
  }
}

void DS_SlideShow_Light::ReadAudioFiles(DS_IOF_Holder stream) {
  int32_t count = 0;
  stream->ReadInt(count);
  for (int32_t i = 0; i < count; ++i) audioFiles.emplace_back(ReadAudioFile(stream));
}

void DS_SlideShow_Light::WriteSlides(DS_IOF_Holder stream) {
  stream->WriteInt(int32_t(slides.size()));
  for (auto& slide : slides) slide->Write(stream);
}

void DS_SlideShow_Light::WriteAudioFiles(DS_IOF_Holder stream) {
  stream->WriteInt(int32_t(audioFiles.size()));
  for (auto& item : audioFiles) item->WriteRecord(stream);
}

void DS_SlideShow_Light::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_SlideShow_Light::WriteFields(DS_IOF_Holder stream) {
  WriteSlides(stream);
  WriteAudioFiles(stream);
}
