// verimo-mkparadox: writes Paradox tables with pxlib's writer for the
// sample, the tests and the benchmark.
//
//   verimo-mkparadox [--rows N] [--codepage CP] [--seed S] TABLE.DB
//
// The table has the benchmark's eight columns: Id (I), Name (A20),
// City (A30), Balance ($), Level (S), Joined (D), Active (L), Notes (A60).
// Texts include Turkish letters (stored in the table's code page), about one
// value in seventeen is blank, numbers are negative, zero and positive, and
// dates run from 1890 to 2089. The same arguments give the same table.
extern "C" {
#include <paradox.h>
}

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Options {
  long rows = 200;
  int codePage = 1254;
  uint64_t seed = 1;
  std::string path;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "verimo-mkparadox: %s\n", message.c_str());
  std::exit(1);
}

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: verimo-mkparadox [--rows N] [--codepage CP] [--seed S] TABLE.DB\n");
  std::exit(2);
}

long ParseNumber(const char* text, const char* what) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0) Fail(std::string("bad ") + what + ": " + text);
  return value;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&](const char* what) -> const char* {
      if (i + 1 >= argc) Usage();
      (void)what;
      return argv[++i];
    };
    if (arg == "--rows") options.rows = ParseNumber(next("rows"), "row count");
    else if (arg == "--codepage") options.codePage = static_cast<int>(ParseNumber(next("cp"), "code page"));
    else if (arg == "--seed") options.seed = static_cast<uint64_t>(ParseNumber(next("seed"), "seed"));
    else if (!arg.empty() && arg[0] == '-') Usage();
    else if (options.path.empty()) options.path = arg;
    else Usage();
  }
  if (options.path.empty()) Usage();
  return options;
}

// UTF-8 to the table's code page; characters it cannot hold become "?".
class Recoder {
 public:
  explicit Recoder(int codePage) {
    std::string name = "CP" + std::to_string(codePage) + "//TRANSLIT";
    handle_ = iconv_open(name.c_str(), "UTF-8");
    if (handle_ == reinterpret_cast<iconv_t>(-1)) Fail("unknown code page " + std::to_string(codePage));
  }
  ~Recoder() { iconv_close(handle_); }
  Recoder(const Recoder&) = delete;
  Recoder& operator=(const Recoder&) = delete;

  std::string operator()(const std::string& utf8) {
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      if (iconv(handle_, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
      if (errno != EILSEQ && errno != EINVAL) Fail("cannot recode text");
      *dst++ = '?';
      --outLeft;
      // Skip the rest of the UTF-8 sequence that could not be converted.
      do {
        ++in;
        --inLeft;
      } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
  }

 private:
  iconv_t handle_;
};

// A small deterministic generator (SplitMix64).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  long Below(long limit) { return static_cast<long>(Next() % static_cast<uint64_t>(limit)); }

 private:
  uint64_t state_;
};

const char* const kFirstNames[] = {"Ayşe", "Mehmet", "Çağla", "Gülşen", "İbrahim", "Ömer",
                                   "Şükrü", "Zeynep", "Ilgın", "Öykü", "Anna", "John"};
const char* const kLastNames[] = {"Yılmaz", "Öztürk", "Çelik", "Şahin", "Doğan", "Kılıç",
                                  "Aydın", "Güneş", "Smith", "Müller"};
const char* const kCities[] = {"İstanbul", "Ankara", "İzmir", "Eskişehir", "Muğla", "Çanakkale",
                               "Şanlıurfa", "Diyarbakır", "Köln", "Paris", "New York"};

struct Column {
  const char* name;
  char type;
  int length;
};

const Column kColumns[] = {
    {"Id", pxfLong, 4},     {"Name", pxfAlpha, 20}, {"City", pxfAlpha, 30},
    {"Balance", pxfCurrency, 8}, {"Level", pxfShort, 2}, {"Joined", pxfDate, 4},
    {"Active", pxfLogical, 1}, {"Notes", pxfAlpha, 60},
};
constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

void ReportPxlibError(pxdoc_t*, int, const char* message, void*) {
  std::fprintf(stderr, "verimo-mkparadox: pxlib: %s\n", message);
}

// Days since 1 January of year 1 (that day is 1), as Paradox stores dates.
long ParadoxDay(int year, int month, int day) {
  return PX_GregorianToSdn(year, month, day) - 1721425;
}

void WriteTable(const Options& options) {
  pxfield_t* fields = static_cast<pxfield_t*>(std::calloc(kColumnCount, sizeof(pxfield_t)));
  for (int i = 0; i < kColumnCount; ++i) {
    fields[i].px_fname = strdup(kColumns[i].name);
    fields[i].px_ftype = kColumns[i].type;
    fields[i].px_flen = kColumns[i].length;
  }
  pxdoc_t* doc = PX_new2(ReportPxlibError, nullptr, nullptr, nullptr);
  std::remove(options.path.c_str());
  if (PX_create_file(doc, fields, kColumnCount, options.path.c_str(), pxfFileTypNonIndexDB) < 0)
    Fail("cannot create " + options.path);
  doc->px_head->px_doscodepage = options.codePage;

  Recoder recode(options.codePage);
  Random random(options.seed);
  std::vector<char> record(static_cast<size_t>(PX_get_recordsize(doc)));
  for (long row = 0; row < options.rows; ++row) {
    std::fill(record.begin(), record.end(), '\0');
    char* p = record.data();
    auto blank = [&] { return random.Below(17) == 0; };

    PX_put_data_long(doc, p, 4, static_cast<int>(row + 1));
    p += 4;
    std::string name = std::string(kFirstNames[random.Below(12)]) + " " + kLastNames[random.Below(10)];
    std::string nameBytes = recode(name);
    PX_put_data_alpha(doc, p, 20, blank() ? nullptr : nameBytes.data());
    p += 20;
    std::string city = recode(kCities[random.Below(11)]);
    PX_put_data_alpha(doc, p, 30, blank() ? nullptr : city.data());
    p += 30;
    double balance = static_cast<double>(random.Below(2000000) - 1000000) / 100.0;
    if (row % 50 == 7) balance = 0;
    PX_put_data_double(doc, p, blank() ? 0 : 8, balance);
    p += 8;
    PX_put_data_short(doc, p, blank() ? 0 : 2, static_cast<short>(random.Below(2001) - 1000));
    p += 2;
    long joined = ParadoxDay(1890, 1, 1) + random.Below(73000);
    PX_put_data_long(doc, p, blank() ? 0 : 4, static_cast<int>(joined));
    p += 4;
    PX_put_data_byte(doc, p, blank() ? 0 : 1, static_cast<char>(random.Below(2)));
    p += 1;
    std::string notes = "Kayıt " + std::to_string(row + 1) + ": " + name + ", " +
                        kCities[random.Below(11)] + " şubesi; \"özel\" not";
    std::string notesBytes = recode(notes);
    if (notesBytes.size() > 60) notesBytes.resize(60);
    PX_put_data_alpha(doc, p, 60, blank() ? nullptr : notesBytes.data());
    if (PX_put_record(doc, record.data()) < 0) Fail("cannot write record " + std::to_string(row + 1));
  }
  PX_close(doc);
  PX_delete(doc);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  WriteTable(options);
  return 0;
}
