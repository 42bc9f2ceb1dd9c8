#include "tools/mkparadox/ParadoxTableWriter.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

extern "C" {
#include <paradox.h>
}

namespace verimo::tools {
namespace {

char PxlibFieldType(char typeCode) {
  switch (typeCode) {
    case 'A': return pxfAlpha;
    case 'D': return pxfDate;
    case 'S': return pxfShort;
    case 'I': return pxfLong;
    case '$': return pxfCurrency;
    case 'N': return pxfNumber;
    case 'L': return pxfLogical;
    case 'M': return pxfMemoBLOb;
    default: throw std::runtime_error(std::string("unsupported field type '") + typeCode + "'");
  }
}

void RecordError(pxdoc_t*, int type, const char* message, void* data) {
  if (type == PX_Warning) return;
  *static_cast<std::string*>(data) = message ? message : "unknown pxlib error";
}

std::filesystem::path BlobPathBeside(const std::filesystem::path& tablePath) {
  std::filesystem::path blob = tablePath;
  std::string extension = tablePath.extension().string();
  blob.replace_extension(extension == ".DB" ? ".MB" : ".mb");
  return blob;
}

}  // namespace

void ParadoxTableWriter::DocDeleter::operator()(px_doc* doc) const {
  PX_close(doc);
  PX_delete(doc);
}

ParadoxTableWriter::ParadoxTableWriter(NotesKind notes, TableWriterOptions options)
    : columns_(SampleColumns(notes)), options_(std::move(options)), encoder_(options_.codePage) {
  if (HasMemo()) blobPath_ = BlobPathBeside(options_.path);
  doc_.reset(PX_new3(RecordError, nullptr, nullptr, nullptr, &lastError_));
  if (!doc_) throw std::runtime_error("pxlib could not create a document");

  std::vector<char> types;
  for (const SampleColumn& column : columns_) types.push_back(PxlibFieldType(column.typeCode));
  // pxlib takes the field array over and frees it with the document.
  auto* fields = static_cast<pxfield_t*>(doc_->malloc(doc_.get(), sizeof(pxfield_t) * columns_.size(), "fields"));
  for (size_t i = 0; i < columns_.size(); ++i) {
    fields[i].px_fname = PX_strdup(doc_.get(), columns_[i].name.c_str());
    fields[i].px_ftype = types[i];
    fields[i].px_flen = columns_[i].size;
    fields[i].px_fdc = 0;
  }
  // A file that could not be opened for writing is left alone.
  Check(PX_create_file(doc_.get(), fields, static_cast<int>(columns_.size()), options_.path.c_str(),
                       pxfFileTypNonIndexDB),
        "cannot create the table");
  created_ = true;
  try {
    Check(PX_set_value(doc_.get(), "codepage", static_cast<float>(options_.codePage)), "cannot set the code page");
    if (!options_.password.empty())
      Check(PX_set_parameter(doc_.get(), "password", options_.password.c_str()), "cannot set the password");
    if (HasMemo()) Check(PX_set_blob_file(doc_.get(), blobPath_.c_str()), "cannot create the memo file");
  } catch (...) {
    RemoveFiles();
    throw;
  }
  record_.resize(static_cast<size_t>(PX_get_recordsize(doc_.get())));
}

ParadoxTableWriter::~ParadoxTableWriter() {
  if (!finished_) RemoveFiles();
}

bool ParadoxTableWriter::HasMemo() const {
  for (const SampleColumn& column : columns_)
    if (column.typeCode == 'M') return true;
  return false;
}

void ParadoxTableWriter::Check(int result, const std::string& what) const {
  if (result >= 0) return;
  std::string message = options_.path.string() + ": " + what;
  if (!lastError_.empty()) message += " (" + lastError_ + ")";
  throw std::runtime_error(message);
}

void ParadoxTableWriter::PutAlpha(char* data, const SampleColumn& column, const std::optional<std::string>& text) {
  if (!text || text->empty()) return;
  std::string bytes = encoder_.Encode(*text);
  if (bytes.size() > static_cast<size_t>(column.size))
    throw std::runtime_error(column.name + ": text longer than the field");
  // Without an input encoding pxlib copies the bytes as they are.
  PX_put_data_alpha(doc_.get(), data, column.size, bytes.data());
}

void ParadoxTableWriter::PutMemo(char* data, const SampleColumn& column, const std::optional<std::string>& text) {
  if (!text || text->empty()) return;
  // pxlib stores memo bytes unchanged, so they are converted here.
  std::string bytes = encoder_.Encode(*text);
  Check(PX_put_data_blob(doc_.get(), data, column.size, bytes.data(), static_cast<int>(bytes.size())),
        "cannot write a memo");
}

void ParadoxTableWriter::Append(const SampleRow& row) {
  std::memset(record_.data(), 0, record_.size());
  char* data = record_.data();
  PX_put_data_long(doc_.get(), data, 4, row.id);
  data += columns_[0].size;
  PutAlpha(data, columns_[1], row.name);
  data += columns_[1].size;
  PutAlpha(data, columns_[2], row.city);
  data += columns_[2].size;
  if (row.balanceCents) PX_put_data_double(doc_.get(), data, 8, static_cast<double>(*row.balanceCents) / 100.0);
  data += columns_[3].size;
  if (row.level) PX_put_data_short(doc_.get(), data, 2, *row.level);
  data += columns_[4].size;
  if (row.joined) PX_put_data_long(doc_.get(), data, 4, ParadoxDayNumber(*row.joined));
  data += columns_[5].size;
  if (row.active) PX_put_data_byte(doc_.get(), data, 1, *row.active ? 1 : 0);
  data += columns_[6].size;
  if (columns_[7].typeCode == 'M')
    PutMemo(data, columns_[7], row.notes);
  else
    PutAlpha(data, columns_[7], row.notes);
  Check(PX_put_record(doc_.get(), record_.data()), "cannot write a record");
}

void ParadoxTableWriter::Finish() {
  lastError_.clear();
  doc_.reset();
  if (!lastError_.empty()) throw std::runtime_error(options_.path.string() + ": " + lastError_);
  if (options_.keyFields > 0) WriteKeyFieldCount();
  finished_ = true;
}

// pxlib keeps no key count for the tables it writes: the header byte is set
// afterwards. The records come in Id order, the key order of the leading
// fields.
void ParadoxTableWriter::WriteKeyFieldCount() {
  constexpr std::streamoff kKeyFieldCountOffset = 0x23;
  std::fstream file(options_.path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(kKeyFieldCountOffset);
  file.put(static_cast<char>(options_.keyFields));
  if (!file.flush()) throw std::runtime_error(options_.path.string() + ": cannot write the key field count");
}

void ParadoxTableWriter::RemoveFiles() noexcept {
  doc_.reset();
  if (!created_) return;
  std::error_code ignored;
  std::filesystem::remove(options_.path, ignored);
  if (!blobPath_.empty()) std::filesystem::remove(blobPath_, ignored);
}

}  // namespace verimo::tools
