#include "objects/DS_BaseSpriteProp.h"

#include "document/DS_DocResManager.h"
#include "objects/DS_SpriteArrayObj.h"

DS_BaseSpriteProp::DS_BaseSpriteProp() {
  count.Assign(1);
  transparency.scale = -2.55f;
  transparency.offset = 255.0f;
  transparency.OnParamChanged(nullptr);
  transparency.SetValue(0);
  blendMode.Assign(0);
  colour.Assign(0xFFFFFF);
  verticalFlip.Assign(0);
  horizontalFlip.Assign(0);
  refreshOnImageChange.Assign(0);
}

DS_BaseSpriteProp::DS_BaseSpriteProp(const DS_BaseSpriteProp& other)
    : DS_ViewObjCtrl(other),
      count(other.count),
      size(other.size),
      transparency(other.transparency),
      blendMode(other.blendMode),
      colour(other.colour),
      alphaSpeed(other.alphaSpeed),
      phaseMin(other.phaseMin),
      phaseMax(other.phaseMax),
      sizeFactorMin(other.sizeFactorMin),
      sizeFactorMax(other.sizeFactorMax),
      spriteImage(other.spriteImage),
      overlayImage(other.overlayImage),
      reservedInt(other.reservedInt),
      reservedFloat(other.reservedFloat),
      stripFrames(other.stripFrames),
      stripRate(other.stripRate),
      stripMode(other.stripMode),
      loadMode(other.loadMode),
      verticalFlip(other.verticalFlip),
      horizontalFlip(other.horizontalFlip),
      refreshOnImageChange(other.refreshOnImageChange),
      legacyFrameTimes(other.legacyFrameTimes),
      legacyImages(other.legacyImages),
      legacyOverlay(other.legacyOverlay) {}

DS_ABObj* DS_BaseSpriteProp::CreateObject() {
  LoadImages();
  return new DS_SpriteArrayObj(Clone());
}

uint32_t DS_BaseSpriteProp::NextFrame(uint32_t index) {
  // Without strip frames there is nothing to step through: the strip stays on frame 0.
  if (stripFrames == 0) return 0;
  return (index + 1) % stripFrames;
}

void DS_BaseSpriteProp::LoadImages() {
  if (!spriteImage.Path().empty() || !g_docResManager) return;
  spriteImage.SetKey(g_docResManager->CreateImageLinkFromRecords(legacyFrameTimes, legacyImages)->Key());
  if (legacyOverlay.resourceId != 0)
    overlayImage.SetKey(g_docResManager->CreateImageLinkFromRecord(legacyOverlay)->Key());
  legacyImages.clear();
  legacyFrameTimes.clear();
}

void DS_BaseSpriteProp::BreatheAlpha(DS_Sprite& sprite, bool respawn) {
  sprite.alphaPhase += frameStep * sprite.alphaSpeed;
  if (phaseMin > sprite.alphaPhase) {
    if (respawn) InitSprite(sprite);
    sprite.alphaPhase = phaseMin;
    sprite.alphaSpeed = -sprite.alphaSpeed;
  } else if (phaseMax < sprite.alphaPhase) {
    sprite.alphaPhase = phaseMax;
    sprite.alphaSpeed = -sprite.alphaSpeed;
  }
  sprite.UpdateColor(*this);
}

void DS_BaseSpriteProp::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_BaseSpriteProp::WriteFields(DS_IOF_Holder stream) {
  DS_ViewObjCtrl::WriteRecord(stream);
  stream->WriteUInt(count.Value());
  stream->WriteUInt(size.Value());
  stream->WriteUInt(transparency.Value());
  stream->WriteULong((unsigned long)(uint32_t)blendMode.Value());
  stream->WriteInt(int32_t(colour.Value()));
  for (float v : {alphaSpeed, phaseMin, phaseMax, sizeFactorMin, sizeFactorMax}) stream->WriteFloat(v);
  for (DS_ImageFileLink* link : {&spriteImage, &overlayImage}) {
    if (g_docResManager) g_docResManager->RegisterImageForSave(*link);
    link->Write(stream);
  }
  stream->WriteUInt(reservedInt);
  stream->WriteFloat(reservedFloat);
  stream->WriteUInt(stripFrames);
  stream->WriteFloat(stripRate);
  stream->WriteBool(stripMode);
  stream->WriteULong(loadMode);
  for (MediaParamT<int>* p : {&verticalFlip, &horizontalFlip, &refreshOnImageChange})
    stream->WriteULong((unsigned long)(uint32_t)p->Value());
}

bool DS_BaseSpriteProp::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

namespace {
// A 32-bit integer field stored through the unsigned-long operation.
void ReadLongInto(DS_IOF_Holder stream, int& value) {
  unsigned long v = 0;
  stream->ReadULong(v);
  value = int(uint32_t(v));
}
}  // namespace

void DS_BaseSpriteProp::ReadFields(DS_IOF_Holder stream, int32_t version) {
  DS_ViewObjCtrl::ReadRecord(stream);
  stream->ReadUInt(count.Value());
  if (version < 3) stream->ReadUInt(speed.Value());
  stream->ReadUInt(size.Value());
  uint32_t t = 0;
  stream->ReadUInt(t);
  transparency.SetValue(t);
  ReadLongInto(stream, blendMode.Value());
  int32_t c = 0;
  stream->ReadInt(c);
  colour.Value() = (unsigned long)(uint32_t)c;
  for (float* v : {&alphaSpeed, &phaseMin, &phaseMax, &sizeFactorMin, &sizeFactorMax}) stream->ReadFloat(*v);
  if (version == 1) {
    ReadFileRecordList(stream, legacyImages);
    stream->ReadFileRecord(legacyOverlay);
  } else {
    spriteImage.Read(stream);
    overlayImage.Read(stream);
  }
  stream->ReadUInt(reservedInt);
  stream->ReadFloat(reservedFloat);
  stream->ReadUInt(stripFrames);
  stream->ReadFloat(stripRate);
  stream->ReadBool(stripMode);
  if (version == 1) {
    ReadFloatVector(stream, legacyFrameTimes);
    return;
  }
  if (version >= 4) {
    unsigned long mode = 0;
    stream->ReadULong(mode);
    loadMode = uint32_t(mode);
  }
  if (version >= 5) {
    ReadLongInto(stream, verticalFlip.Value());
    ReadLongInto(stream, horizontalFlip.Value());
  }
  if (version >= 6) ReadLongInto(stream, refreshOnImageChange.Value());
}
