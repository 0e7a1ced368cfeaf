// The picture lights a description can name ("light <class>").
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "runtime/DS_2D_Light.h"
#include "tools/scenetool/SceneFields.h"

void AddLightClasses(SceneClasses& classes) {
  classes.AddLight<DS_2D_Light>("DS_2D_Light", nullptr);
  classes.AddLight<DS_MatrixCodeLight>("DS_MatrixCodeLight", [](SceneFields& f, DS_MatrixCodeLight& l) {
    f.Add("cell-size", l.cellSize);
    f.Add("density", l.density);
    f.Add("mutating-count", l.mutatingCount);
    f.Add("sparkles", l.sparkles);
    f.Add("background-mode", l.backgroundMode);
    f.Add("start-mode", l.startMode);
    f.Add("trail-colour", l.trailColour);
    f.Add("head-colour", l.headColour);
    f.Add("brightness", l.brightness);
    f.Add("glyph-sheet", l.glyphSheet);
  });
  classes.AddLight<DS_WaterRingLight>("DS_WaterRingLight", [](SceneFields& f, DS_WaterRingLight& l) {
    f.Add("whole-scene", l.wholeScene);
    f.Add("wave-height", l.waveHeight);
    f.Add("row-density", l.rowDensity);
    f.Add("grid-density", l.gridDensity);
    f.Add("drop-force", l.dropForce);
    f.Add("persistence", l.persistence);
    f.Add("refraction-level", l.refractionLevel);
    f.Add("drop-rate", l.dropRate);
    f.Add("specular-level", l.specularLevel);
    f.Add("specular-power", l.specularPower);
  });
}
