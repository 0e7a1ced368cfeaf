// The value codec of the document stream, in both directions, and the embedded-file values.
// The reader (DS_IOF_R) and the memory writer (DS_IOF_W) both go through the two codec
// classes below, so the byte layout of each value type lives in exactly one place.
#include "document/DS_IOF.h"

#include <objbase.h>

#include <cstring>
#include <limits>
#include <memory>

namespace {

// Smallest encoded sizes, used to refuse counts that the remaining bytes cannot hold
// before anything is allocated for them.
constexpr size_t kMinStringBytes = 4;                                    // markers + 1-byte length
constexpr size_t kMinFileRecordBytes = 4 + kMinStringBytes + 4 + kMinStringBytes;

// Reads values at a buffer's memory cursor. Every step is bounded by the buffer's end.
class Decoder {
 public:
  explicit Decoder(ResourceBuffer& buffer) : b_(buffer) {}

  // Nothing to read from: no cursor (the file source is not provided). Reads then leave
  // their destination as it was.
  bool Idle() const { return b_.cursor == nullptr; }

  const uint8_t* Take(size_t n) {
    if (n > b_.Remaining()) throw DS_LoadError("document stream: read past the end");
    const uint8_t* p = b_.cursor;
    b_.cursor += n;
    return p;
  }

  template <class T>
  T Scalar() {
    T v;
    std::memcpy(&v, Take(sizeof(T)), sizeof(T));
    return v;
  }

  // A count or size that needs at least perItem bytes per element must fit into what is
  // left; checked before the caller allocates.
  void RequireFits(uint64_t count, size_t perItem, const char* what) const {
    if (perItem != 0 && count > b_.Remaining() / perItem) throw DS_LoadError(what);
  }

  // Markers (3 bytes, not looked at), a 1-, 2- or 4-byte length, then UTF-16LE units
  // without terminator. An empty stored string keeps the destination's text; a 0 unit
  // ends the text but all units are consumed.
  void String(ds_string& out) {
    Take(3);
    uint32_t n = Scalar<uint8_t>();
    if (n == 0xFF) {
      n = Scalar<uint16_t>();
      if (n == 0xFFFF) n = Scalar<uint32_t>();
    }
    if (n == 0) return;
    RequireFits(n, 2, "document stream: string longer than the data");
    const uint8_t* units = Take(size_t(n) * 2);
    ds_string text(n, L'\0');
    std::memcpy(text.data(), units, size_t(n) * 2);
    const size_t zero = text.find(L'\0');
    if (zero != ds_string::npos) text.resize(zero);
    out = std::move(text);
  }

  void Blob(DS_DataBlob& out) {
    BlobData(out);
    String(out.name);
  }

  void FileRecord(DS_FileRecord& out) {
    out.resourceId = Scalar<int32_t>();
    String(out.module);
    Blob(out);
  }

  void Point(POINT& out) {
    const int32_t x = Scalar<int32_t>();
    const int32_t y = Scalar<int32_t>();
    out.x = x;
    out.y = y;
  }

  int64_t Int64() {
    const uint32_t low = Scalar<uint32_t>();
    const uint32_t high = Scalar<uint32_t>();
    return int64_t((uint64_t(high) << 32) | low);
  }

 private:
  // Size (int32) and that many bytes; a size of 0 sets no data.
  void BlobData(DS_DataBlob& out) {
    const int32_t size = Scalar<int32_t>();
    if (size < 0) throw DS_LoadError("document stream: negative blob size");
    if (size == 0) return;
    RequireFits(uint64_t(size), 1, "document stream: blob larger than the data");
    out.SetData(size, Take(size_t(size)));
  }

  ResourceBuffer& b_;
};

// Appends values to memory in the layout the decoder reads.
class Encoder {
 public:
  explicit Encoder(std::vector<uint8_t>& out) : out_(out) {}

  void Bytes(const void* p, size_t n) {
    const auto* bytes = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), bytes, bytes + n);
  }

  template <class T>
  void Scalar(T v) {
    Bytes(&v, sizeof(T));
  }

  void String(const ds_string& s) {
    static constexpr uint8_t kMarkers[3] = {0xFF, 0xFE, 0xFF};
    Bytes(kMarkers, 3);
    const size_t n = s.size();
    if (n > std::numeric_limits<uint32_t>::max()) throw std::length_error("string too long");
    if (n < 0xFF) {
      Scalar<uint8_t>(uint8_t(n));
    } else {
      Scalar<uint8_t>(0xFF);
      if (n < 0xFFFF) {
        Scalar<uint16_t>(uint16_t(n));
      } else {
        Scalar<uint16_t>(0xFFFF);
        Scalar<uint32_t>(uint32_t(n));
      }
    }
    Bytes(s.data(), n * 2);
  }

  void Blob(const DS_DataBlob& b) {
    // A blob without bytes is stored with size 0, whatever its size field says.
    const int32_t size = (b.data && b.size > 0) ? b.size : 0;
    Scalar<int32_t>(size);
    if (size > 0) Bytes(b.data, size_t(size));
    String(b.name);
  }

  void FileRecord(const DS_FileRecord& r) {
    Scalar<int32_t>(r.resourceId);
    String(r.module);
    Blob(r);
  }

  void Point(const POINT& p) {
    Scalar<int32_t>(p.x);
    Scalar<int32_t>(p.y);
  }

  void Int64(int64_t v) {
    Scalar<uint32_t>(uint32_t(uint64_t(v) & 0xFFFFFFFFu));
    Scalar<uint32_t>(uint32_t(uint64_t(v) >> 32));
  }

 private:
  std::vector<uint8_t>& out_;
};

[[noreturn]] void WriterCannotRead() {
  throw std::logic_error("the memory writer does not read");
}

// The reader behind a holder, when it is the bounded one; lets the sequence readers refuse
// counts that cannot fit before they allocate.
const ResourceBuffer* BoundedBuffer(DS_IOF_Virtual* stream) {
  auto* reader = dynamic_cast<DS_IOF_R<ResourceBuffer>*>(stream);
  return reader ? reader->Buffer() : nullptr;
}

void RequireCountFits(DS_IOF_Virtual* stream, int32_t count, size_t perItem, const char* what) {
  const ResourceBuffer* buffer = BoundedBuffer(stream);
  if (buffer && buffer->cursor && uint64_t(count) > buffer->Remaining() / perItem)
    throw DS_LoadError(what);
}

}  // namespace

// ---- DS_DataBlob -------------------------------------------------------------------------

DS_DataBlob::DS_DataBlob(const DS_DataBlob& other) : name(other.name) {
  if (other.HasBytes()) SetData(other.size, other.data);
}

DS_DataBlob::DS_DataBlob(DS_DataBlob&& other) noexcept
    : name(std::move(other.name)), data(other.data), size(other.size) {
  other.data = nullptr;
  other.size = 0;
}

DS_DataBlob& DS_DataBlob::operator=(const DS_DataBlob& other) {
  if (this != &other) {
    name = other.name;
    if (other.HasBytes()) {
      SetData(other.size, other.data);
    } else {
      delete[] data;
      data = nullptr;
      size = 0;
    }
  }
  return *this;
}

DS_DataBlob& DS_DataBlob::operator=(DS_DataBlob&& other) noexcept {
  if (this != &other) {
    delete[] data;
    name = std::move(other.name);
    data = other.data;
    size = other.size;
    other.data = nullptr;
    other.size = 0;
  }
  return *this;
}

DS_DataBlob::~DS_DataBlob() { delete[] data; }

void DS_DataBlob::SetData(int32_t newSize, const void* bytes) {
  // Allocate first, so a failed allocation leaves the blob as it was.
  uint8_t* copy = nullptr;
  if (newSize > 0 && bytes) {
    copy = new uint8_t[size_t(newSize)];
    std::memcpy(copy, bytes, size_t(newSize));
  }
  delete[] data;
  data = copy;
  size = copy ? newSize : 0;
}

void DS_DataBlob::SetName(const ds_string& newName) {
  if (newName == name) return;
  delete[] data;
  data = nullptr;
  size = 0;
  name = newName;
}

// ---- DS_IOF_R<ResourceBuffer> ------------------------------------------------------------

#define DS_READ_SCALAR(Op, Type)                   \
  void DS_IOF_R<ResourceBuffer>::Op(Type& v) {     \
    Decoder d(*buffer_);                           \
    if (!d.Idle()) v = d.Scalar<Type>();           \
  }

DS_READ_SCALAR(ReadFloat, float)
DS_READ_SCALAR(ReadInt, int32_t)
DS_READ_SCALAR(ReadUInt, uint32_t)
DS_READ_SCALAR(ReadChar, char)
DS_READ_SCALAR(ReadBool, uint8_t)
#undef DS_READ_SCALAR

// unsigned long is 4 bytes on Windows; spelled out so the width is the encoding's, not the
// compiler's.
void DS_IOF_R<ResourceBuffer>::ReadULong(unsigned long& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) v = d.Scalar<uint32_t>();
}

void DS_IOF_R<ResourceBuffer>::ReadInt64(int64_t& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) v = d.Int64();
}

void DS_IOF_R<ResourceBuffer>::ReadPoint(POINT& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) d.Point(v);
}

void DS_IOF_R<ResourceBuffer>::ReadString(ds_string& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) d.String(v);
}

void DS_IOF_R<ResourceBuffer>::ReadBlob(DS_DataBlob& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) d.Blob(v);
}

void DS_IOF_R<ResourceBuffer>::ReadFileRecord(DS_FileRecord& v) {
  Decoder d(*buffer_);
  if (!d.Idle()) d.FileRecord(v);
}

// ---- DS_IOF_W ----------------------------------------------------------------------------

void DS_IOF_W::WriteFileRecord(const DS_FileRecord& v) { Encoder(bytes_).FileRecord(v); }
void DS_IOF_W::WriteBlob(const DS_DataBlob& v) { Encoder(bytes_).Blob(v); }
void DS_IOF_W::WriteString(const ds_string& v) { Encoder(bytes_).String(v); }
void DS_IOF_W::WriteInt64(const int64_t& v) { Encoder(bytes_).Int64(v); }
void DS_IOF_W::WriteFloat(const float& v) { Encoder(bytes_).Scalar<float>(v); }
void DS_IOF_W::WritePoint(const POINT& v) { Encoder(bytes_).Point(v); }
void DS_IOF_W::WriteInt(const int32_t& v) { Encoder(bytes_).Scalar<int32_t>(v); }
void DS_IOF_W::WriteUInt(const uint32_t& v) { Encoder(bytes_).Scalar<uint32_t>(v); }
void DS_IOF_W::WriteChar(const char& v) { Encoder(bytes_).Scalar<char>(v); }
void DS_IOF_W::WriteBool(const uint8_t& v) { Encoder(bytes_).Scalar<uint8_t>(v); }
void DS_IOF_W::WriteULong(const unsigned long& v) { Encoder(bytes_).Scalar<uint32_t>(uint32_t(v)); }

void DS_IOF_W::ReadFileRecord(DS_FileRecord&) { WriterCannotRead(); }
void DS_IOF_W::ReadBlob(DS_DataBlob&) { WriterCannotRead(); }
void DS_IOF_W::ReadString(ds_string&) { WriterCannotRead(); }
void DS_IOF_W::ReadInt64(int64_t&) { WriterCannotRead(); }
void DS_IOF_W::ReadFloat(float&) { WriterCannotRead(); }
void DS_IOF_W::ReadPoint(POINT&) { WriterCannotRead(); }
void DS_IOF_W::ReadInt(int32_t&) { WriterCannotRead(); }
void DS_IOF_W::ReadUInt(uint32_t&) { WriterCannotRead(); }
void DS_IOF_W::ReadChar(char&) { WriterCannotRead(); }
void DS_IOF_W::ReadBool(uint8_t&) { WriterCannotRead(); }
void DS_IOF_W::ReadULong(unsigned long&) { WriterCannotRead(); }

// ---- GUID text form ----------------------------------------------------------------------

void WriteGuidString(DS_IOF_Holder stream, const GUID& guid) {
  wchar_t text[39] = {};
  StringFromGUID2(guid, text, 39);
  stream->WriteString(ds_string(text));
}

void ReadGuidString(DS_IOF_Holder stream, GUID& guid) {
  ds_string text;
  stream->ReadString(text);
  CLSID parsed;
  if (text.empty() || FAILED(CLSIDFromString(text.c_str(), &parsed))) parsed = GUID_NULL;
  guid = parsed;
}

// ---- Sequences through the stream --------------------------------------------------------

namespace {
// Count (int32), then that many records appended in order, each read into a fresh record.
template <class Container>
void AppendFileRecords(DS_IOF_Holder stream, Container& out) {
  int32_t count = 0;
  stream->ReadInt(count);
  if (count <= 0) return;
  RequireCountFits(stream, count, kMinFileRecordBytes, "document stream: file-record count too large");
  for (int32_t i = 0; i < count; ++i) {
    DS_FileRecord record;
    stream->ReadFileRecord(record);
    out.push_back(std::move(record));
  }
}
}  // namespace

void ReadFileRecordVector(DS_IOF_Holder stream, std::vector<DS_FileRecord>& out) { AppendFileRecords(stream, out); }

void WriteFileRecordVector(DS_IOF_Holder stream, const std::vector<DS_FileRecord>& records) {
  const int32_t count = int32_t(records.size());
  stream->WriteInt(count);
  for (const DS_FileRecord& r : records) stream->WriteFileRecord(r);
}

void ReadFileRecordList(DS_IOF_Holder stream, std::list<DS_FileRecord>& out) { AppendFileRecords(stream, out); }

void ReadFloatVector(DS_IOF_Holder stream, std::vector<float>& out) {
  int32_t count = 0;
  stream->ReadInt(count);
  if (count <= 0) return;
  RequireCountFits(stream, count, sizeof(float), "document stream: float count too large");
  out.reserve(out.size() + size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    float v = 0.0f;
    stream->ReadFloat(v);
    out.push_back(v);
  }
}

void WriteFloatVector(DS_IOF_Holder stream, const std::vector<float>& values) {
  const int32_t count = int32_t(values.size());
  stream->WriteInt(count);
  for (const float& v : values) stream->WriteFloat(v);
}

// ---- Raw readers on a buffer -------------------------------------------------------------

void ReadUIntVector(ResourceBuffer& buffer, std::vector<uint32_t>& out) {
  Decoder d(buffer);
  if (d.Idle()) return;
  const uint32_t count = d.Scalar<uint32_t>();
  d.RequireFits(count, sizeof(uint32_t), "picture package: frame-time count too large");
  out.resize(count);
  for (uint32_t& v : out) v = d.Scalar<uint32_t>();
}

void ParseFileRecordVector(ResourceBuffer& buffer, std::vector<DS_FileRecord>& out) {
  Decoder d(buffer);
  if (d.Idle()) return;
  const uint32_t count = d.Scalar<uint32_t>();
  d.RequireFits(count, kMinFileRecordBytes, "picture package: record count too large");
  out.resize(count);
  for (DS_FileRecord& slot : out) {
    DS_FileRecord record;  // each read starts from a fresh record
    d.FileRecord(record);
    slot = std::move(record);
  }
}
