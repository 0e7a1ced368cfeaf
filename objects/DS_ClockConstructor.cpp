#include "objects/DS_ClockConstructor.h"

#include <ctime>

#include "objects/DegreeMatrices.h"
#include "runtime/DS_View2D.h"

bool ReadLocalTime(DS_ClockTime& out) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == std::time_t(-1) || localtime_s(&local, &now) != 0) return false;
  out.hours = local.tm_hour;
  out.minutes = local.tm_min;
  out.seconds = local.tm_sec;
  return true;
}

// ---- Item -------------------------------------------------------------------------------------------

DS_ClockConstructor::DS_ClockConstructor() : arrowImage(DS_FileLink3(72, L"common_res.dll")) {
  placement.x.Value() = int(g_virtualScreen->pictureWidth / 2);
  placement.y.Value() = int(g_virtualScreen->pictureHeight / 2);
  meshLink.SetKey({L"common_res.dll", 70});
  imageLink.SetKey({L"common_res.dll", 71});
  size.Assign(400);
  controls_.SetOwner<DS_ClockConstructor>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl2<DS_ClockConstructor>::Bind(controls_, imageLink,
                                               [](DS_ClockConstructor* c) { c->OnFaceImageChanged(); });
}

DS_ClockConstructor::DS_ClockConstructor(const DS_ClockConstructor& other)
    : DS_3D_Obj_Ctrl(other), arrowImage(other.arrowImage), localTime(other.localTime) {
  placement.AssignValues(other.placement);
  size.Assign(other.size.Value());
  controls_.SetOwner<DS_ClockConstructor>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl2<DS_ClockConstructor>::Bind(controls_, imageLink,
                                               [](DS_ClockConstructor* c) { c->OnFaceImageChanged(); });
}

DS_QuadCorners DS_ClockConstructor::GetScreenQuad() const {
  return RectangleQuad(float(placement.left.Value()), float(placement.top.Value()), float(placement.right.Value()),
                       float(placement.bottom.Value()));
}

void DS_ClockConstructor::BuildParts(std::vector<DS_MeshPart>& parts) {
  parts.clear();
  parts.resize(2);
  parts[0].SetTexture(imageLink, meshLink);
  parts[1].SetTexture(arrowImage, meshLink);
  parts[0].translucent = parts[1].translucent = 1;
  parts_ = &parts;
}

void DS_ClockConstructor::OnFaceImageChanged() {
  // The document item never builds parts: there is nothing to re-texture before the
  // render object's clone has them.
  if (!parts_ || parts_->empty()) return;
  (*parts_)[0].SetTexture(imageLink, meshLink);
}

DS_FrameTree DS_ClockConstructor::BuildFrames() {
  DS_FrameTree root(new DS_Frame);
  root->local = ScalingMatrix(0.01f) * RotationXDegrees(90.0f);
  root->animator = std::make_unique<AC_Static>(this);
  struct Hand {
    bool hour;
    float length, offset;  // of the 100-unit square: the hand's length and its shift to the tip
  };
  for (const Hand& hand : {Hand{true, 0.3f, 10.0f}, Hand{false, 0.38f, 13.0f}}) {
    root->children.push_back(new DS_Frame);
    DS_Frame& frame = *root->children.back();
    frame.local = ScalingMatrix(0.01f, 1.0f, hand.length) * TranslationMatrix(0.0f, 0.0f, hand.offset);
    frame.animator = std::make_unique<AC_ClockArrow>(this, hand.hour);
  }
  return root;
}

void DS_ClockConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  placement.Read(stream);
  arrowImage.Read(stream);
  DS_3D_Obj_Ctrl::ReadRecord(stream);
}

void DS_ClockConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_ClockConstructor::WriteFields(DS_IOF_Holder stream) {
  placement.Write(stream);
  WriteImageLink(stream, arrowImage);
  DS_3D_Obj_Ctrl::WriteRecord(stream);
}

// ---- Animators --------------------------------------------------------------------------------------

AC_Static::AC_Static(DS_ClockConstructor* c) : clock(c) {
  controls_.SetOwner<AC_Static>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, AC_Static>::Bind(controls_, clock->size,
                                                  [](AC_Static* a, unsigned int s) { a->OnSizeChanged(s); });
  DS_FunLightCtrl2<AC_Static>::Bind(controls_, clock->placement, [](AC_Static* a) { a->OnPlacementChanged(); });
  centreTranslation = TranslationMatrix(float(clock->placement.x.Value()), float(clock->placement.y.Value()), 0.0f);
  sizeScale = ScalingMatrix(float(clock->size.Value()));
}

void AC_Static::SetEdges(unsigned int s) {
  // Unsigned half and 32-bit wrap-around, as the stored edges are plain ints.
  const uint32_t h = s / 2;
  const uint32_t x = uint32_t(clock->placement.x.Value()), y = uint32_t(clock->placement.y.Value());
  clock->placement.left.Assign(int32_t(x - h));
  clock->placement.right.Assign(int32_t(x + h));
  clock->placement.top.Assign(int32_t(y - h));
  clock->placement.bottom.Assign(int32_t(y + h));
}

void AC_Static::OnSizeChanged(unsigned int s) {
  SetEdges(s);
  sizeScale = ScalingMatrix(float(s));
}

void AC_Static::OnPlacementChanged() {
  SetEdges(clock->size.Value());
  centreTranslation = TranslationMatrix(float(clock->placement.x.Value()), float(clock->placement.y.Value()), 0.0f);
}

void AC_Static::Apply(DS_Frame& frame) { frame.world = frame.local * sizeScale * centreTranslation; }

AC_ClockArrow::AC_ClockArrow(const DS_ClockConstructor* c, bool hour) : clock(c), hourHand(hour ? 1 : 0) {}

float AC_ClockArrow::HandAngle(bool hour, const DS_ClockTime& t) {
  if (hour) return float((double(t.hours % 12) + double(t.minutes) / 60.0) * 30.0);
  return float((double(t.seconds) / 60.0 + double(t.minutes)) * 6.0);
}

void AC_ClockArrow::Apply(DS_Frame& frame) {
  DS_ClockTime now;
  if (clock->localTime && clock->localTime(now)) angle = HandAngle(hourHand != 0, now);
  // The world follows from the local matrix in every frame, so no frame multiplies a
  // stale one again.
  frame.world = frame.local * RotationYDegrees(angle);
}
