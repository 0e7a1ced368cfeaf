#pragma once
// The matrices the 3D objects and their animators are built from, as values. Scene objects
// keep their angles in degrees and turn them into radians with pi = 3.1415927.
#include <d3dx9math.h>

inline float Radians(float degrees) { return float(double(degrees) * 2.0 * double(3.1415927f) / 360.0); }

inline D3DXMATRIX RotationXDegrees(float degrees) {
  D3DXMATRIX m;
  D3DXMatrixRotationX(&m, Radians(degrees));
  return m;
}
inline D3DXMATRIX RotationYDegrees(float degrees) {
  D3DXMATRIX m;
  D3DXMatrixRotationY(&m, Radians(degrees));
  return m;
}
inline D3DXMATRIX RotationZDegrees(float degrees) {
  D3DXMATRIX m;
  D3DXMatrixRotationZ(&m, Radians(degrees));
  return m;
}
inline D3DXMATRIX ScalingMatrix(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixScaling(&m, x, y, z);
  return m;
}
inline D3DXMATRIX ScalingMatrix(float s) { return ScalingMatrix(s, s, s); }
inline D3DXMATRIX TranslationMatrix(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}
