// Benchmarks, as a list of named cases. Every case times its work and a baseline in the same
// run (best of several repetitions, QueryPerformanceCounter) and prints their ratio, so the
// figure does not depend on the machine's speed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "document/DS_IOF.h"

namespace {

double Seconds(const std::function<void()>& work, int repetitions) {
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&stop);
    best = std::min(best, double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  }
  return best;
}

struct Baseline {
  std::string name;
  double seconds;
};

// The case's time and the baselines it is compared with; the first is the headline.
struct BenchResult {
  double seconds;
  std::vector<Baseline> baselines;
};

struct BenchCase {
  const char* name;
  std::function<BenchResult()> run;
};

// ---- Document stream ---------------------------------------------------------------------

// A blob-heavy document of about 5 MB: a header, many small records of mixed values (the
// slides and their items), then a table of embedded files.
constexpr int kItems = 400;
constexpr int kFiles = 40;
constexpr int kFileBytes = 128 * 1024;

std::vector<uint8_t> SyntheticDocument() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"KVX v 4.0.0");
  s->WriteInt(kItems);
  for (int i = 0; i < kItems; ++i) {
    s->WriteString(L"DS_FireFX");
    s->WriteInt(2);
    for (int k = 0; k < 8; ++k) s->WriteFloat(float(i * k));
    s->WriteULong(0x00FF8040ul);
    s->WritePoint(POINT{i, -i});
    s->WriteBool(1);
    s->WriteString(L"Fire brush " + std::to_wstring(i));
    s->WriteInt64(i);
  }
  std::vector<DS_FileRecord> files;
  std::vector<uint8_t> bytes(kFileBytes);
  for (int f = 0; f < kFiles; ++f) {
    for (size_t b = 0; b < bytes.size(); ++b) bytes[b] = uint8_t(b * 31 + f);
    DS_FileRecord record(f % 3 == 0 ? 0 : 60 + f, f % 3 == 0 ? L"" : L"common_res.dll");
    record.SetData(kFileBytes, bytes.data());
    record.name = L"C:\\Scenes\\Pictures\\picture_" + std::to_wstring(f) + L".jpg";
    files.push_back(std::move(record));
  }
  WriteFileRecordVector(s, files);
  return writer.Bytes();
}

void ReadSyntheticDocument(const std::vector<uint8_t>& document) {
  ResourceBuffer buffer(document.data(), document.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* s = &reader;
  ds_string text;
  s->ReadString(text);
  int32_t count = 0;
  s->ReadInt(count);
  for (int i = 0; i < count; ++i) {
    ds_string name;
    int32_t version = 0;
    float f = 0;
    unsigned long colour = 0;
    POINT p{};
    uint8_t flag = 0;
    int64_t stamp = 0;
    s->ReadString(name);
    s->ReadInt(version);
    for (int k = 0; k < 8; ++k) s->ReadFloat(f);
    s->ReadULong(colour);
    s->ReadPoint(p);
    s->ReadBool(flag);
    s->ReadString(name);
    s->ReadInt64(stamp);
  }
  std::vector<DS_FileRecord> files;
  ReadFileRecordVector(s, files);
  if (buffer.cursor != document.data() + document.size() || files.size() != size_t(kFiles))
    std::fprintf(stderr, "document misread\n");
}

BenchResult DocumentRead() {
  const std::vector<uint8_t> document = SyntheticDocument();
  std::vector<uint8_t> copy(document.size());
  constexpr int kRepetitions = 15;
  const double read = Seconds([&] { ReadSyntheticDocument(document); }, kRepetitions);
  const double baseline = Seconds(
      [&] {
        std::memcpy(copy.data(), document.data(), document.size());
        // Keep the copy observable.
        volatile uint8_t sink = copy[copy.size() / 2];
        (void)sink;
      },
      kRepetitions);
  // What the blobs alone must cost: each embedded file is copied into a block of its own.
  const double allocateAndCopy = Seconds(
      [&] {
        std::vector<uint8_t*> blocks;
        for (int f = 0; f < kFiles; ++f) {
          blocks.push_back(new uint8_t[kFileBytes]);
          std::memcpy(blocks.back(), document.data() + size_t(f) * kFileBytes, kFileBytes);
        }
        for (uint8_t* b : blocks) delete[] b;
      },
      kRepetitions);
  std::printf("  document of %.2f MB\n", double(document.size()) / (1024.0 * 1024.0));
  return {read, {{"memcpy of the same bytes", baseline}, {"new block + copy per embedded file", allocateAndCopy}}};
}

const std::vector<BenchCase>& Cases() {
  static const std::vector<BenchCase> cases = {
      {"document_stream_read", DocumentRead},
  };
  return cases;
}

}  // namespace

// Runs every case, or only those whose names contain the first argument.
int main(int argc, char** argv) {
  const std::string filter = argc > 1 ? argv[1] : "";
  for (const BenchCase& c : Cases()) {
    if (!filter.empty() && std::string(c.name).find(filter) == std::string::npos) continue;
    std::printf("%s\n", c.name);
    const BenchResult r = c.run();
    std::printf("  %.3f ms\n", r.seconds * 1e3);
    for (const Baseline& b : r.baselines)
      std::printf("  ratio %.2f to %s (%.3f ms)\n", r.seconds / b.seconds, b.name.c_str(), b.seconds * 1e3);
  }
  return 0;
}
