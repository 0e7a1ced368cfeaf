// The picture lights a description can name ("light <class>").
#include "lights/DS_FlameLight.h"
#include "lights/FakeUndervater.h"
#include "runtime/DS_2D_Light.h"
#include "tools/scenetool/SceneFields.h"

void AddLightClasses(SceneClasses& classes) {
  classes.AddLight<DS_2D_Light>("DS_2D_Light", nullptr);
  // The fire's fields under "fire.", the haze's under "distortion.".
  classes.AddLight<DS_FlameLight>("DS_FlameLight", [](SceneFields& f, DS_FlameLight& l) {
    f.Add("fireVisible", l.fireVisible);
    f.Add("distortionFlag", l.distortionFlag);
    f.Add("fireOffset", l.fireOffset);
    f.Add("distortion.bump", l.distortion.bumpLink);
    f.Add("distortion.effect", l.distortion.effectLink, false);
    f.Add("distortion.speed", l.distortion.speed);
    f.Add("distortion.strength", l.distortion.strength);
    f.Add("distortion.bumpScale", l.distortion.bumpScale);
    AddFireFields(f, l.fire, "fire.");
  });
  // The underwater effect's fields under "effect.".
  classes.AddLight<FakeUndervater>("FakeUndervater", [](SceneFields& f, FakeUndervater& l) {
    AddBrushFields(f, l.effect, "effect.");
    f.Add("effect.amplitude", l.effect.amplitude);
    f.Add("effect.wavelength", l.effect.wavelength);
  });
}
