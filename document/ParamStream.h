#pragma once
// The stream forms of single parameter values that the records of brushes and lights share:
// switches, scaled values and colours.
#include <cstdint>

#include "document/DS_IOF.h"
#include "document/MediaParam.h"

// Switches and flags travel as 4-byte values (the stream's unsigned-long operation) and are
// stored without telling anyone.
inline void ReadSwitch(DS_IOF_Holder stream, MediaParamTB<int>& param) {
  unsigned long v = 0;
  stream->ReadULong(v);
  param.Value() = int(uint32_t(v));
}
inline void WriteSwitch(DS_IOF_Holder stream, const MediaParamTB<int>& param) {
  stream->WriteULong(static_cast<unsigned long>(uint32_t(param.Value())));
}

// Scaled values are read with notification, so that their scaled values follow.
inline void ReadScaled(DS_IOF_Holder stream, MediaParamTB<unsigned int>& param) {
  unsigned int v = 0;
  stream->ReadUInt(v);
  param.SetValue(v);
}

// Colours travel as ints and are stored without telling anyone.
inline void ReadColour(DS_IOF_Holder stream, MediaParamTB<unsigned long>& colour) {
  int32_t v = 0;
  stream->ReadInt(v);
  colour.Value() = static_cast<unsigned long>(uint32_t(v));
}
inline void WriteColour(DS_IOF_Holder stream, const MediaParamTB<unsigned long>& colour) {
  stream->WriteInt(int32_t(uint32_t(colour.Value())));
}
