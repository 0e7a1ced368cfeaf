#pragma once
// Emitters over an 800 x 600 picture with a restarted generator. The area used by most
// cases is the lower middle: fractions 0.25 to 0.75 across, 0.5 to 1.0 down, so
// L = 200, R = 600, T = 300, B = 600.
#include <gtest/gtest.h>

#include "objects/DS_SpriteArrayObj.h"
#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

class EmitterFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = *g_virtualScreen;
    g_virtualScreen->pictureWidth = 800;
    g_virtualScreen->pictureHeight = 600;
    srand(1);
  }
  void TearDown() override { *g_virtualScreen = saved_; }

  static void PlaceInLowerMiddle(DS_ViewObjCtrl& e) {
    e.leftFraction = 0.25f, e.rightFraction = 0.75f, e.topFraction = 0.5f, e.bottomFraction = 1.0f;
  }

 private:
  DS_VirtualScreen saved_;
};
