#pragma once
// 3D objects and leaf frames over an 800 x 600 picture, with the animation generator
// restarted (the program never seeds it, so a restart is where every run begins), as the
// emitters' cases have them.
#include <gtest/gtest.h>

#include <d3dx9math.h>

#include <cmath>

#include "objects/DS_3D_Obj_Ctrl.h"
#include "tests/objects/EmitterFixture.h"
#include "tests/support/RecordBytes.h"

class Objects3DFixture : public EmitterFixture {
 protected:
  // The area used by most cases: 200..600 across, 150..450 down.
  static void PlaceInMiddle(DS_ViewObjCtrl& o) {
    o.leftFraction = 0.25f, o.rightFraction = 0.75f, o.topFraction = 0.25f, o.bottomFraction = 0.75f;
  }
};

// The end of every 3D object's record: the "DS_3D_Obj_Ctrl" record with the given values,
// then a "DS_ViewObjCtrl" record (rectangle 1 to 6, fractions 0.1 0.9 0.2 0.8, flag 1,
// speed 75) and the object's name.
inline RecordBytes ObjectRecordTail(uint32_t count, uint32_t size, const DS_LinkKey& image, const DS_LinkKey& mesh,
                                    const wchar_t* name) {
  return WriteBytes([&](DS_IOF_Holder s) {
    WriteRecordHeader(s, RecordId{L"DS_3D_Obj_Ctrl", 1});
    s->WriteUInt(count);
    s->WriteUInt(size);
    s->WriteString(image.path);
    s->WriteInt64(image.stamp);
    s->WriteString(mesh.path);
    s->WriteInt64(mesh.stamp);
    WriteRecordHeader(s, RecordId{L"DS_ViewObjCtrl", 2});
    for (int32_t v : {1, 2, 3, 4, 5, 6}) s->WriteInt(v);
    for (float f : {0.1f, 0.9f, 0.2f, 0.8f}) s->WriteFloat(f);
    s->WriteBool(1);
    s->WriteUInt(75);
    WriteRecordHeader(s, RecordId{L"DS_ABObj_Constructor", 1});
    s->WriteString(name);
  });
}

// Where a point of the model lands under a world matrix.
inline D3DXVECTOR3 Place(const D3DXMATRIX& world, const D3DXVECTOR3& p) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &p, &world);
  return out;
}

// The angle in degrees between two directions.
inline float AngleBetween(D3DXVECTOR3 a, D3DXVECTOR3 b) {
  D3DXVec3Normalize(&a, &a);
  D3DXVec3Normalize(&b, &b);
  const float c = D3DXVec3Dot(&a, &b);
  return std::acos(c > 1.0f ? 1.0f : (c < -1.0f ? -1.0f : c)) * 180.0f / 3.1415927f;
}

inline bool SameMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-4f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(a.m[r][c] - b.m[r][c]) > tolerance) return false;
  return true;
}
