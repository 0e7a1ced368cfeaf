// The brushes a description can name ("item <class>"), with every field their records hold.
// Scaled values are set by their stored (unscaled) numbers; "mask" stores the painted mask
// under the brush's identity.
#include "brushes/DS_FireFX.h"
#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "brushes/SimpleBrushes.h"
#include "tools/scenetool/SceneFields.h"

void AddBrushFields(SceneFields& fields, DS_FX_Constructor& brush, const std::string& prefix) {
  fields.Add(prefix + "speed", brush.speed);
  fields.Add(prefix + "sceneEffect", brush.sceneEffect);
  fields.Add(prefix + "effect", brush.effectLink, false);
  fields.Add(prefix + "effectScale", brush.effectScale);
  fields.Add(prefix + "identity", brush.guid);
  fields.Add(prefix + "identityName", brush.maskName);
  fields.Add(prefix + "identityFlag", brush.maskFlag);
  fields.SetMaskIdentity(&brush.guid);
}

void AddFireFields(SceneFields& fields, DS_FireFX& fire, const std::string& prefix) {
  AddBrushFields(fields, fire, prefix);
  fields.Add(prefix + "corners", fire.corners);
  fields.Add(prefix + "colour1", fire.colour1);
  fields.Add(prefix + "colour2", fire.colour2);
  fields.Add(prefix + "storedInt1", fire.storedInt1);
  fields.Add(prefix + "pattern", fire.patternLink);
  fields.Add(prefix + "noise", fire.noiseLink);
  fields.Add(prefix + "storedInt2", fire.storedInt2);
  fields.Add(prefix + "density", fire.density);
  fields.Add(prefix + "brightness", fire.brightness);
  fields.Add(prefix + "tiling", fire.tiling);
}

namespace {

// "pattern <path> <stamp> [file]": a path ending in ".dll" names a picture package of that
// module, any other a picture the document carries.
void AddPatternFields(SceneFields& fields, DS_PatternBrush& brush) {
  AddBrushFields(fields, brush);
  fields.Add("pattern", brush.pattern);
  fields.Add("verticalMirror", brush.verticalMirror);
  fields.Add("horizontalMirror", brush.horizontalMirror);
  fields.Add("rotation", brush.rotation);
  fields.Add("zoom", brush.zoom);
  fields.Add("scrollX", brush.scrollX);
  fields.Add("scrollY", brush.scrollY);
}

}  // namespace

void AddBrushClasses(SceneClasses& classes) {
  classes.AddItem<DS_BackgroundCopy>("DS_BackgroundCopy", [](SceneFields& f, DS_BackgroundCopy& b) {
    AddBrushFields(f, b);
    f.Add("rectangle", b.rectangle);
    f.Add("verticalShift", b.verticalShift);
    f.Add("horizontalShift", b.horizontalShift);
  });
  classes.AddItem<DS_WavesFX>("DS_WavesFX", [](SceneFields& f, DS_WavesFX& b) {
    AddBrushFields(f, b);
    f.Add("amplitude", b.amplitude);
    f.Add("wavelength", b.wavelength);
    f.Add("angle", b.angle);
    f.Add("directionMode", b.directionMode);
  });
  classes.AddItem<DS_LightFX>("DS_LightFX", [](SceneFields& f, DS_LightFX& b) {
    AddBrushFields(f, b);
    f.Add("intensity", b.intensity);
    f.Add("flickerMode", b.flickerMode);
  });
  classes.AddItem<DS_FireFX>("DS_FireFX", [](SceneFields& f, DS_FireFX& b) { AddFireFields(f, b); });
  classes.AddItem<DS_PatternBrush>("DS_PatternBrush",
                                   [](SceneFields& f, DS_PatternBrush& b) { AddPatternFields(f, b); });
  classes.AddItem<DS_PatternBrushC>("DS_PatternBrushC",
                                    [](SceneFields& f, DS_PatternBrushC& b) { AddPatternFields(f, b); });
  classes.AddItem<DS_WaterFX>("DS_WaterFX", [](SceneFields& f, DS_WaterFX& b) {
    AddBrushFields(f, b);
    f.Add("pValue", b.pValue);
    f.Add("bumpRotationScale", b.bumpRotationScale);
    f.Add("waveAmplitude", b.waveAmplitude);
    f.Add("wavelength", b.wavelength);
    f.Add("angle", b.angle);
    f.Add("shadows", b.shadows);
    f.Add("halfVectorHeight", b.halfVectorHeight);
    f.Add("colour", b.colour);
    f.Add("bump", b.bumpLink);
  });
  classes.AddItem<DS_MoveFX>("DS_MoveFX", [](SceneFields& f, DS_MoveFX& b) {
    AddBrushFields(f, b);
    f.Add("motionMode", b.motionMode);
    f.Add("amplitude", b.amplitude);
    f.Add("angle", b.angle);
  });
}
