#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/NonCopyable.h"
#include "engine/TesselStream.h"
#include "engine/TesselTypes.h"
#include "core/WideString.h"

namespace verimo {

class TTessel;
class TCodePageEncoder;

// Encodes text in the owner's output encoding and appends it to the target
// stream. Each format's writer derives from it. The writer neither owns the
// stream nor the exporter.
class TTesselWriter : private TNonCopyable {
 public:
  TTesselWriter(TTessel* owner, TStream* stream);
  virtual ~TTesselWriter();

  // Nothing is written for an empty text, without owner or stream, or for
  // an encoding outside the enumeration.
  virtual void Write(WideStringView text);
  // "Left alignment", "Center alignment", "Right alignment", else "Unknown alignment".
  virtual WideString AlignToStr(TTesselColAlign align) const;

  // Write(text + CR LF), as one Write.
  void WriteLn(WideStringView text);
  void EmptyLine();
  // `count` copies of `ch` and CR LF (only CR LF when count <= 0).
  void CharLine(char16_t ch, int count);
  // EF BB BF, FF FE or FF FE 00 00 for UTF-8, UTF-16LE, UTF-32LE; nothing else,
  // and nothing when the stream is not at its start.
  void WriteSignature();
  // Raw bytes, for binary parts of a format.
  void WriteBytes(const void* data, size_t count);

  static WideString PadLeft(WideStringView text, char16_t ch, int width);
  static WideString PadRight(WideStringView text, char16_t ch, int width);
  static WideString PadCenter(WideStringView text, char16_t ch, int width);

  // The bytes of `text` in `encoding` (no byte-order mark), appended to `out`.
  static void EncodeText(WideStringView text, TTesselOutputEncoding encoding, std::string& out);
  // The same through this writer's code-page encoders, which learn each
  // character once (what Write uses).
  void Encode(WideStringView text, TTesselOutputEncoding encoding, std::string& out);

  TStream* Stream() const { return stream_; }
  TTessel* Owner() const { return owner_; }
  // The owner's output encoding (UTF-8 without owner).
  TTesselOutputEncoding Encoding() const;

 private:
  TTessel* owner_;
  TStream* stream_;
  std::string encoded_;  // reused for every Write
  // ANSI, OEM and Mac encoders, made on first use.
  std::array<std::unique_ptr<TCodePageEncoder>, 3> encoders_;
  WideString line_;      // reused by WriteLn
};

// A part of a document written aside into a temporary file (the table of
// a further column group), copied into the document where it belongs.
class TTesselAsidePart {
 public:
  using TWriterMaker = std::function<std::unique_ptr<TTesselWriter>(TStream& stream)>;

  // `makeWriter` makes the writer that writes into the part.
  explicit TTesselAsidePart(const TWriterMaker& makeWriter);
  TTesselWriter& Writer() { return *writer_; }
  TStream& Stream() { return *stream_; }
  // Copies all that was written to `target`, at its position.
  void CopyTo(TStream& target);

 private:
  std::unique_ptr<TFileStream> stream_;
  std::unique_ptr<TTesselWriter> writer_;
};

}  // namespace verimo
