// The picture lights a description can name ("light <class>").
#include "lights/DS_FlameLight.h"
#include "lights/DS_GlassBallLight.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "lights/FakeLake2D.h"
#include "lights/FakeUndervater.h"
#include "runtime/DS_2D_Light.h"
#include "tools/scenetool/SceneFields.h"

namespace {

void BindGlassBall(SceneFields& f, DS_GlassBallLight& light) {
  f.Add("overlay1", light.overlay1Link);
  f.Add("overlay2", light.overlay2Link);
  f.Add("stand", light.standLink);
  f.Add("backdrop", light.backdropLink);
  f.Add("scroll-speed", light.scrollSpeed);
  f.Add("ball-position", light.ballPosition);
  f.Add("size", light.size);
  f.Add("strength", light.strength);
  f.Add("overlay1-on", light.overlay1On);
  f.Add("overlay2-on", light.overlay2On);
  f.Add("stand-on", light.standOn);
  f.Add("backdrop-mode", light.backdropMode);
  f.Add("scroll-mode", light.scrollMode);
  f.Add("gradient-colour1", light.gradientColour1);
  f.Add("gradient-colour2", light.gradientColour2);
}

void BindLake(SceneFields& f, FakeLake2D& light) {
  f.Add("wave-speed", light.waveSpeed);
  f.Add("wave-tiling", light.waveTiling);
  f.Add("horizon", light.horizon);
  f.Add("far-flattening", light.farFlattening);
  f.Add("tint-opacity", light.tintOpacity);
  f.Add("horizon-fade", light.horizonFade);
  f.Add("normal-map-amplitude", light.normalMapAmplitude);
  f.Add("reflection-offset", light.reflectionOffset);
  f.Add("resample-power", light.resamplePower);
  f.Add("tint-colour", light.tintColour);
  // A fixed identity keeps the document the same from build to build.
  f.Add("identity", light.bumpIdentity);
  f.Add("identity-name", light.bumpName);
  f.Add("identity-flag", light.bumpFlag);
  // "bump-map <heights.pgm>" stores the bump map made with the fields set so far.
  f.SetMaskIdentity(&light.bumpIdentity);
  f.SetBumpMaker([&light](const std::vector<uint8_t>& heights, uint32_t width, uint32_t height) {
    std::vector<uint8_t> dds = light.StoredBumpMap(heights, width, height);
    if (dds.empty()) SceneFail("cannot make a bump map of these heights");
    return dds;
  });
}

}  // namespace

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
  classes.AddLight<DS_GlassBallLight>("DS_GlassBallLight", BindGlassBall);
  classes.AddLight<FakeLake2D>("FakeLake2D", BindLake);
  classes.AddLight<DS_MatrixCodeLight>("DS_MatrixCodeLight", [](SceneFields& f, DS_MatrixCodeLight& l) {
    f.Add("cellSize", l.cellSize);
    f.Add("density", l.density);
    f.Add("mutatingCount", l.mutatingCount);
    f.Add("sparkles", l.sparkles);
    f.Add("backgroundMode", l.backgroundMode);
    f.Add("startMode", l.startMode);
    f.Add("trailColour", l.trailColour);
    f.Add("headColour", l.headColour);
    f.Add("brightness", l.brightness);
    f.Add("glyphSheet", l.glyphSheet);
  });
  classes.AddLight<DS_WaterRingLight>("DS_WaterRingLight", [](SceneFields& f, DS_WaterRingLight& l) {
    f.Add("wholeScene", l.wholeScene);
    f.Add("waveHeight", l.waveHeight);
    f.Add("rowDensity", l.rowDensity);
    f.Add("gridDensity", l.gridDensity);
    f.Add("dropForce", l.dropForce);
    f.Add("persistence", l.persistence);
    f.Add("refractionLevel", l.refractionLevel);
    f.Add("dropRate", l.dropRate);
    f.Add("specularLevel", l.specularLevel);
    f.Add("specularPower", l.specularPower);
  });
  // The underwater effect's fields under "effect.".
  classes.AddLight<FakeUndervater>("FakeUndervater", [](SceneFields& f, FakeUndervater& l) {
    AddBrushFields(f, l.effect, "effect.");
    f.Add("effect.amplitude", l.effect.amplitude);
    f.Add("effect.wavelength", l.effect.wavelength);
  });
}
