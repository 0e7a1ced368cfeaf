#include "objects/DS_ButterflyConstructor.h"

#include <cmath>

#include "document/DS_DocResManager.h"
#include "objects/DegreeMatrices.h"
#include "runtime/Random.h"

// ---- Eased value ----------------------------------------------------------------------------------

void DS_EasedValue::Step(float dt) {
  if (value == target) return;
  value += dt * rate;
  if ((rate > 0.0f && value > target) || (rate < 0.0f && value < target)) value = target;
}

void DS_EasedValue::SetTarget(float newTarget, float newRate) {
  if (newRate != 0.0f) rate = newRate;
  target = newTarget;
  rate = target > value ? std::fabs(rate) : -std::fabs(rate);
}

// ---- Item -------------------------------------------------------------------------------------------

DS_ButterflyConstructor::DS_ButterflyConstructor()
    : bodyImage(DS_FileLink3(6, L"common_res.dll")), bodyMesh(68, L"common_res.dll") {
  meshLink.SetKey({L"common_res.dll", 69});  // the wings; their picture comes from the document
  size.Assign(100);
  flag = 1;
  reserved1.SetValue(50);
  reserved2.SetValue(50);
}

DS_ButterflyConstructor::DS_ButterflyConstructor(const DS_ButterflyConstructor& other)
    : DS_3D_Obj_Ctrl(other),
      bodyImage(other.bodyImage),
      bodyMesh(other.bodyMesh),
      reserved1(other.reserved1),
      reserved2(other.reserved2),
      wingScale(other.wingScale) {}

void DS_ButterflyConstructor::BuildParts(std::vector<DS_MeshPart>& parts) {
  parts.clear();
  parts.resize(2);
  parts[0].SetTexture(bodyImage, bodyMesh);
  parts[1].SetTexture(imageLink, meshLink);
  parts[1].translucent = 1;
}

DS_FrameTree DS_ButterflyConstructor::BuildFrames() {
  DS_FrameTree root(new DS_Frame);
  auto* wing1 = new AC_ButterflyWing;
  auto* wing2 = new AC_ButterflyWing;
  std::unique_ptr<DS_AnimationBase> wingOwners[2] = {std::unique_ptr<DS_AnimationBase>(wing1),
                                                     std::unique_ptr<DS_AnimationBase>(wing2)};
  root->animator = std::make_unique<AC_Butterfly>(this, wing1, wing2);
  root->local = ScalingMatrix(0.5f) * RotationYDegrees(90.0f);
  for (auto& wingAnimator : wingOwners) {
    root->children.push_back(new DS_Frame);
    DS_Frame& wing = *root->children.back();
    wing.local = ScalingMatrix(wingScale);
    wing.animator = std::move(wingAnimator);
  }
  return root;
}

void DS_ButterflyConstructor::ReadFields(DS_IOF_Holder stream, int32_t version) {
  bodyImage.Read(stream);
  bodyMesh.Read(stream);
  for (UINTSclaleTo<float>* reserved : {&reserved1, &reserved2}) {
    uint32_t v = 0;
    stream->ReadUInt(v);
    reserved->SetValue(v);
  }
  if (version > 1) stream->ReadFloat(wingScale);
  DS_3D_Obj_Ctrl::ReadRecord(stream);
}

void DS_ButterflyConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_ButterflyConstructor::WriteFields(DS_IOF_Holder stream) {
  WriteImageLink(stream, bodyImage);
  bodyMesh.Write(stream);
  reserved1.Write(stream);
  reserved2.Write(stream);
  stream->WriteFloat(wingScale);
  DS_3D_Obj_Ctrl::WriteRecord(stream);
}

// ---- Animators --------------------------------------------------------------------------------------

void AC_ButterflyWing::Apply(DS_Frame& frame) {
  frame.world = frame.local * wing;
  frame.winding = mirror;
}

AC_Butterfly::AC_Butterfly(DS_ButterflyConstructor* o, AC_ButterflyWing* w1, AC_ButterflyWing* w2)
    : owner(o), wing1(w1), wing2(w2) {
  position = owner->RandomPointInRect();
  heading.value = heading.target = RandomFloat(0.0f, 360.0f);
  tilt = RotationXDegrees(10.0f);
  mirror = ScalingMatrix(-1.0f, 1.0f, 1.0f);
  controls_.SetOwner<AC_Butterfly>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, AC_Butterfly>::Bind(controls_, owner->size,
                                                     [](AC_Butterfly* b, unsigned int s) { b->OnSizeChanged(s); });
}

void AC_Butterfly::OnSizeChanged(unsigned int s) { sizeScale = ScalingMatrix(float(s) / 100.0f); }

void AC_Butterfly::Apply(DS_Frame& frame) {
  const float dt = owner->frameStep;
  D3DXMATRIX world = frame.local * RotationYDegrees(heading.value);

  // Bank into a turn that has more than 5 degrees to go.
  const float toGo = heading.value - heading.target;
  if (toGo < -5.0f)
    bank.SetTarget(25.0f, 0.0f);
  else if (toGo > 5.0f)
    bank.SetTarget(-25.0f, 0.0f);
  // Slow flight lifts the nose, up to 15 degrees at a standstill.
  if (forwardSpeed.value < 100.0f) world *= RotationXDegrees((1.0f - forwardSpeed.value / 100.0f) * 15.0f);
  world *= tilt;
  world *= RotationZDegrees(bank.value);
  if (bank.value == bank.target) bank.SetTarget(0.0f, 0.0f);

  wingAngle += dt * 7.0f * wingRate;
  if (wingAngle > wingUpperBound) wingRate = -160.0f;
  if (wingAngle < wingLowerBound) wingRate = 100.0f;
  world *= TranslationMatrix(0.0f, wingAngle * -3.0f / 45.0f, 0.0f);  // the body bobs with the beat

  const D3DXMATRIX beat = RotationZDegrees(wingAngle);
  wing1->wing = beat;
  wing2->wing = beat * mirror;
  wing1->mirror = wingAngle > 0.0f ? 1 : 0;
  wing2->mirror = wingAngle < 0.0f ? 1 : 0;

  D3DXVECTOR3 velocity;
  const D3DXVECTOR3 forward(forwardSpeed.value, 0.0f, 0.0f);
  const D3DXMATRIX turn = RotationYDegrees(heading.value);
  D3DXVec3TransformCoord(&velocity, &forward, &turn);
  position.x += velocity.x * dt;
  position.y += verticalSpeed.value * dt;
  position.z = 0.0f;
  world *= TranslationMatrix(position.x, position.y, 0.0f);

  StepEasedValues(dt);
  KeepInsideRect();
  ChooseFlightMode(owner->clock);
  // Last, so it scales the position too; the identity at size 100.
  frame.world = world * sizeScale;
}

void AC_Butterfly::StepEasedValues(float dt) {
  verticalSpeed.Step(dt);
  bank.Step(dt);
  heading.Step(dt);
  forwardSpeed.Step(dt);
}

void AC_Butterfly::KeepInsideRect() {
  if (owner->TopPixels() > position.y) {
    wantedMode = kGliding;
    verticalSpeed.SetTarget(100.0f, 0.0f);
  } else if (owner->BottomPixels() < position.y) {
    wantedMode = kFullBeat;
    verticalSpeed.SetTarget(-190.0f, 0.0f);
  }
  if (owner->LeftPixels() > position.x) {
    heading.SetTarget(0.0f, 350.0f);
    forwardSpeed.SetTarget(300.0f, 0.0f);
  } else if (owner->RightPixels() < position.x) {
    heading.SetTarget(-180.0f, 350.0f);
    forwardSpeed.SetTarget(300.0f, 0.0f);
  }
}

void AC_Butterfly::ChooseFlightMode(float clock) {
  if (flightMode == wantedMode && clock - lastRetargetTime > 0.25f) {
    switch (rand() % 5) {
      case 0:  // climb
        wantedMode = kFullBeat;
        verticalSpeed.SetTarget(RandomFloat(-190.0f, 0.0f), 0.0f);
        break;
      case 1:  // sink
        wantedMode = kGliding;
        verticalSpeed.SetTarget(RandomFloat(100.0f, 150.0f), 0.0f);
        break;
      case 2:
        wantedMode = kFullBeat;
        forwardSpeed.SetTarget(RandomFloat(-25.0f, 300.0f), 0.0f);
        break;
      default:  // turn round, or a little, once the last turn is done
        if (flightMode == kFullBeat && heading.value == heading.target) {
          const bool round = (rand() & 1) == 0;
          const float rate = RandomFloat(50.0f, 350.0f);
          const float target = round ? RandomFloat(155.0f, 205.0f) : RandomFloat(-25.0f, 25.0f);
          heading.SetTarget(target, rate);
        }
        break;
    }
    lastRetargetTime = clock;
  } else if (wantedMode == kGliding) {
    // The beat turns upwards; once the wings are folded past half the lower bound the
    // butterfly glides with them held there.
    wingUpperBound = 0.0f;
    if (wingAngle < wingLowerBound * 0.5f) {
      flightMode = kGliding;
      wingRate = -std::fabs(wingRate) / 100.0f;
    }
  } else {
    // The beat's rate is drawn when the change back to the full beat takes effect. Drawn in
    // every frame it would override the turns at the bounds, and the wings would spin
    // round the body instead of beating.
    if (flightMode != kFullBeat)
      wingRate = forwardSpeed.value > 20.0f ? RandomFloat(-160.0f, forwardSpeed.value / 3.0f - 50.0f) : 160.0f;
    flightMode = kFullBeat;
    wingUpperBound = -wingLowerBound;
  }
}
