// The sprite emitters a description can name ("item <class>"), each with every field its
// record holds. The area is set by its fractions ("area <left> <right> <top> <bottom>"), the
// master form the player derives the rectangle from; images are links ("image <path>
// <stamp> [file]"), a picture package being a module link with "load-mode 1".
#include <string>

#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "tools/scenetool/SceneFields.h"

namespace {

// A plain field of the record (no parameter to tell).
template <class T>
void AddPlain(SceneFields& fields, const std::string& name, T& value) {
  fields.Add(name, [&value, name](std::istringstream& w) {
    if constexpr (sizeof(T) == 1) {
      unsigned v = 0;
      if (!(w >> v)) SceneFail("expected a number for " + name);
      value = T(v);
    } else {
      if (!(w >> value)) SceneFail("expected a number for " + name);
    }
  });
}

void AddViewObjFields(SceneFields& f, DS_ViewObjCtrl& o) {
  f.Add("rectangle", o.rectangle);
  f.Add("speed", o.speed);
  AddPlain(f, "flag", o.flag);
  f.Add("area", [&o](std::istringstream& w) {
    if (!(w >> o.leftFraction >> o.rightFraction >> o.topFraction >> o.bottomFraction))
      SceneFail("area needs four fractions: left right top bottom");
  });
}

void AddSpriteFields(SceneFields& f, DS_BaseSpriteProp& e) {
  AddViewObjFields(f, e);
  f.Add("count", e.count);
  f.Add("size", e.size);
  f.Add("transparency", e.transparency);
  f.Add("blend", e.blendMode);
  f.Add("colour", e.colour);
  AddPlain(f, "alpha-speed", e.alphaSpeed);
  AddPlain(f, "phase-min", e.phaseMin);
  AddPlain(f, "phase-max", e.phaseMax);
  AddPlain(f, "size-factor-min", e.sizeFactorMin);
  AddPlain(f, "size-factor-max", e.sizeFactorMax);
  f.Add("image", e.spriteImage);
  f.Add("overlay", e.overlayImage);
  AddPlain(f, "reserved-int", e.reservedInt);
  AddPlain(f, "reserved-float", e.reservedFloat);
  AddPlain(f, "strip-frames", e.stripFrames);
  AddPlain(f, "strip-rate", e.stripRate);
  AddPlain(f, "strip-mode", e.stripMode);
  AddPlain(f, "load-mode", e.loadMode);
  f.Add("vertical-flip", e.verticalFlip);
  f.Add("horizontal-flip", e.horizontalFlip);
  f.Add("refresh", e.refreshOnImageChange);
}

template <class Emitter>
void AddSpeeds(SceneFields& f, Emitter& e) {
  AddPlain(f, "max-horizontal-speed", e.maxHorizontalSpeed);
  AddPlain(f, "max-vertical-speed", e.maxVerticalSpeed);
}

void AddFlowFields(SceneFields& f, DS_FlowConstructor& e) {
  AddSpriteFields(f, e);
  f.Add("direction", e.direction);
  f.Add("lateral-speed", e.lateralSpeed);
  f.Add("change-rate", e.changeRate);
  AddPlain(f, "flow-speed", e.flowSpeed);
  f.Add("orientation", e.orientationMode);
}

void AddPlacedFields(SceneFields& f, DS_StatObjConstructor& e) {
  AddSpriteFields(f, e);
  f.Add("placement", e.placement);
  f.Add("rotation", e.rotation);
}

}  // namespace

void AddObjectClasses(SceneClasses& classes) {
  classes.AddItem<DS_FishConstructor>("DS_FishConstructor", [](SceneFields& f, DS_FishConstructor& e) {
    AddSpriteFields(f, e);
    AddSpeeds(f, e);
  });
  classes.AddItem<DS_BirdConstructor>("DS_BirdConstructor", [](SceneFields& f, DS_BirdConstructor& e) {
    AddSpriteFields(f, e);
    AddSpeeds(f, e);
  });
  classes.AddItem<DS_GhostConstructor>("DS_GhostConstructor", [](SceneFields& f, DS_GhostConstructor& e) {
    AddSpriteFields(f, e);
    AddSpeeds(f, e);
  });
  classes.AddItem<DS_FogConstructor>("DS_FogConstructor", [](SceneFields& f, DS_FogConstructor& e) {
    AddSpriteFields(f, e);
    AddSpeeds(f, e);
  });
  classes.AddItem<DS_FlowConstructor>("DS_FlowConstructor", AddFlowFields);
  classes.AddItem<DS_RainConstructor>("DS_RainConstructor", [](SceneFields& f, DS_RainConstructor& e) {
    AddFlowFields(f, e);
  });
  classes.AddItem<DS_GrassConstructor>("DS_GrassConstructor", [](SceneFields& f, DS_GrassConstructor& e) {
    AddSpriteFields(f, e);
    AddPlain(f, "sway", e.swayAmplitude);
  });
  classes.AddItem<DS_StatObjConstructor>("DS_StatObjConstructor", AddPlacedFields);
  classes.AddItem<DS_FlowerConstructor>("DS_FlowerConstructor", [](SceneFields& f, DS_FlowerConstructor& e) {
    AddPlacedFields(f, e);
    AddPlain(f, "sway", e.swayAmplitude);
  });
  classes.AddItem<DS_DischargeConstructor>("DS_DischargeConstructor",
                                           [](SceneFields& f, DS_DischargeConstructor& e) { AddPlacedFields(f, e); });
  classes.AddItem<DS_SparkleConstructor>("DS_SparkleConstructor",
                                         [](SceneFields& f, DS_SparkleConstructor& e) { AddSpriteFields(f, e); });
  classes.AddItem<DS_GodRayConstructor>("DS_GodRayConstructor", [](SceneFields& f, DS_GodRayConstructor& e) {
    AddSpriteFields(f, e);
    f.Add("angle", e.angle);
  });
  classes.AddItem<DS_LightingConstructor>("DS_LightingConstructor",
                                          [](SceneFields& f, DS_LightingConstructor& e) { AddSpriteFields(f, e); });
}
