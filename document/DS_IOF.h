#pragma once
// The document stream: one little-endian stream of typed values without padding. Every
// document item reads (and, in the authoring direction, writes) its fields through
// DS_IOF_Virtual. The player reads with DS_IOF_R<ResourceBuffer>, whose writes do nothing;
// the build's scene tool and the test fixtures write with DS_IOF_W.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <list>
#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>

using ds_string = std::wstring;

// Thrown by every read that would pass the end of the bytes, and by counts and lengths that
// cannot fit into what remains. The acquisition of a screen's scene turns it (like any
// exception thrown while loading) into the shell's media-missing failure 0x8200000B,
// "Could not load required media.".
struct DS_LoadError : std::runtime_error {
  explicit DS_LoadError(const char* what) : std::runtime_error(what) {}
};

// An embedded file: name, owned bytes, size. Copies duplicate the bytes.
struct DS_DataBlob {
  ds_string name;
  uint8_t* data = nullptr;
  int32_t size = 0;

  DS_DataBlob() = default;
  DS_DataBlob(const DS_DataBlob& other);
  DS_DataBlob(DS_DataBlob&& other) noexcept;
  DS_DataBlob& operator=(const DS_DataBlob& other);
  DS_DataBlob& operator=(DS_DataBlob&& other) noexcept;
  ~DS_DataBlob();

  // Frees the held bytes, then holds a new copy of the given ones.
  void SetData(int32_t newSize, const void* bytes);
  bool HasBytes() const { return data != nullptr && size > 0; }
  // A different name (ordinal comparison) frees the bytes; an equal one changes nothing.
  void SetName(const ds_string& newName);
};

// A blob with the numeric id of the file in a resource module and that module's name.
struct DS_FileRecord : DS_DataBlob {
  int32_t resourceId = 0;
  ds_string module;

  DS_FileRecord() = default;
  DS_FileRecord(int id, const std::wstring& moduleName) : resourceId(id), module(moduleName) {}

  // Copies resource "DDS" resourceId of the module (or, when the module does not load, of
  // the program itself) into the record. False, record unchanged, when it is not there.
  bool LoadFromModule();
};

class DS_IOF_Virtual {
 public:
  virtual ~DS_IOF_Virtual() = default;
  // Writes do nothing here; the memory writer implements them.
  virtual void WriteFileRecord(const DS_FileRecord&) {}
  virtual void WriteBlob(const DS_DataBlob&) {}
  virtual void WriteString(const ds_string&) {}
  virtual void WriteInt64(const int64_t&) {}
  virtual void WriteFloat(const float&) {}
  virtual void WritePoint(const POINT&) {}
  virtual void WriteInt(const int32_t&) {}
  virtual void WriteUInt(const uint32_t&) {}
  virtual void WriteChar(const char&) {}
  virtual void WriteBool(const uint8_t&) {}
  virtual void WriteULong(const unsigned long&) {}
  virtual void ReadFileRecord(DS_FileRecord&) = 0;
  virtual void ReadBlob(DS_DataBlob&) = 0;
  virtual void ReadString(ds_string&) = 0;
  virtual void ReadInt64(int64_t&) = 0;
  virtual void ReadFloat(float&) = 0;
  virtual void ReadPoint(POINT&) = 0;
  virtual void ReadInt(int32_t&) = 0;
  virtual void ReadUInt(uint32_t&) = 0;
  virtual void ReadChar(char&) = 0;
  virtual void ReadBool(uint8_t&) = 0;
  virtual void ReadULong(unsigned long&) = 0;
};

// Items receive the stream through a holder: a reference to the pointer the loader owns.
using DS_IOF_Holder = DS_IOF_Virtual*&;

// The byte source of the reader: a cursor into memory (the locked resource), bounded by
// end. The file source is kept for the record's sake; nothing opens it.
struct ResourceBuffer {
  std::ifstream file;
  const uint8_t* cursor = nullptr;
  const uint8_t* end = nullptr;  // one past the last readable byte

  ResourceBuffer() = default;
  ResourceBuffer(const void* bytes, size_t size)
      : cursor(static_cast<const uint8_t*>(bytes)), end(static_cast<const uint8_t*>(bytes) + size) {}
  size_t Remaining() const { return cursor ? size_t(end - cursor) : 0; }
};

template <class Buffer>
class DS_IOF_R;

// Reads values at the buffer's cursor and advances it. Every read is bounded by the
// buffer's end: reading past it throws DS_LoadError, as does a length or count that
// cannot fit into the bytes that remain (checked before anything is allocated).
template <>
class DS_IOF_R<ResourceBuffer> : public DS_IOF_Virtual {
 public:
  explicit DS_IOF_R(ResourceBuffer* buffer) : buffer_(buffer) {}
  void ReadFileRecord(DS_FileRecord& v) override;
  void ReadBlob(DS_DataBlob& v) override;
  void ReadString(ds_string& v) override;
  void ReadInt64(int64_t& v) override;
  void ReadFloat(float& v) override;
  void ReadPoint(POINT& v) override;
  void ReadInt(int32_t& v) override;
  void ReadUInt(uint32_t& v) override;
  void ReadChar(char& v) override;
  void ReadBool(uint8_t& v) override;
  void ReadULong(unsigned long& v) override;
  ResourceBuffer* Buffer() const { return buffer_; }

 private:
  ResourceBuffer* buffer_;
};

// The authoring direction: appends the same encodings to memory. Its reads throw.
class DS_IOF_W : public DS_IOF_Virtual {
 public:
  void WriteFileRecord(const DS_FileRecord& v) override;
  void WriteBlob(const DS_DataBlob& v) override;
  void WriteString(const ds_string& v) override;
  void WriteInt64(const int64_t& v) override;
  void WriteFloat(const float& v) override;
  void WritePoint(const POINT& v) override;
  void WriteInt(const int32_t& v) override;
  void WriteUInt(const uint32_t& v) override;
  void WriteChar(const char& v) override;
  void WriteBool(const uint8_t& v) override;
  void WriteULong(const unsigned long& v) override;
  void ReadFileRecord(DS_FileRecord&) override;
  void ReadBlob(DS_DataBlob&) override;
  void ReadString(ds_string&) override;
  void ReadInt64(int64_t&) override;
  void ReadFloat(float&) override;
  void ReadPoint(POINT&) override;
  void ReadInt(int32_t&) override;
  void ReadUInt(uint32_t&) override;
  void ReadChar(char&) override;
  void ReadBool(uint8_t&) override;
  void ReadULong(unsigned long&) override;

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// GUIDs travel as their 38-character registry form. A string that does not parse reads as
// GUID_NULL.
void WriteGuidString(DS_IOF_Holder stream, const GUID& guid);
void ReadGuidString(DS_IOF_Holder stream, GUID& guid);

// Count-prefixed sequences through the stream. A negative count reads nothing.
void ReadFileRecordVector(DS_IOF_Holder stream, std::vector<DS_FileRecord>& out);
void WriteFileRecordVector(DS_IOF_Holder stream, const std::vector<DS_FileRecord>& records);
void ReadFileRecordList(DS_IOF_Holder stream, std::list<DS_FileRecord>& out);
void ReadFloatVector(DS_IOF_Holder stream, std::vector<float>& out);
void WriteFloatVector(DS_IOF_Holder stream, const std::vector<float>& values);

// Raw readers on a buffer (picture packages of resource modules), same bounds.
void ReadUIntVector(ResourceBuffer& buffer, std::vector<uint32_t>& out);
void ParseFileRecordVector(ResourceBuffer& buffer, std::vector<DS_FileRecord>& out);
