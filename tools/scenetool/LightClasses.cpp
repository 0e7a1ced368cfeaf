// The picture lights a description can name ("light <class>").
#include "lights/DS_FlameLight.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
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
}
