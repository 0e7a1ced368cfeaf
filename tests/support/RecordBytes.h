#pragma once
// Record round trips for tests: write through the memory writer, read back through the
// player's bounded reader, and fail when the reader leaves bytes behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "document/DS_IOF.h"

using RecordBytes = std::vector<uint8_t>;

// The bytes that write() puts into a fresh memory writer.
inline RecordBytes WriteBytes(const std::function<void(DS_IOF_Holder)>& write) {
  DS_IOF_W writer;
  DS_IOF_Virtual* stream = &writer;
  write(stream);
  return writer.Bytes();
}

// Runs read() over the bytes and returns how many it left unread.
inline size_t ReadBytesLeavingRest(const RecordBytes& bytes, const std::function<void(DS_IOF_Holder)>& read) {
  // An empty vector may have no data pointer, and a buffer without one reads nothing at all;
  // no bytes must run into their end like any others.
  static const uint8_t kNothing = 0;
  ResourceBuffer buffer(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  read(stream);
  return buffer.Remaining();
}

// Runs read() over the bytes; a test failure when it does not end exactly at the last byte.
inline void ReadBytes(const RecordBytes& bytes, const std::function<void(DS_IOF_Holder)>& read) {
  EXPECT_EQ(ReadBytesLeavingRest(bytes, read), 0u) << "the reader stopped before the end of the record";
}

// Concatenation, for building a record from its head, fields and base record.
inline RecordBytes operator+(RecordBytes a, const RecordBytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
