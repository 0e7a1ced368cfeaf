// The picture lights a description can name ("light <class>").
#include "runtime/DS_2D_Light.h"
#include "tools/scenetool/SceneFields.h"

void AddLightClasses(SceneClasses& classes) {
  classes.AddLight<DS_2D_Light>("DS_2D_Light", nullptr);
}
