#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace verimo {

class TTesselXMLWriter;

// Writes one XML part file: the declaration line
// `<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>` and CR LF,
// then what `body` writes. Write errors raise verimo::Exception.
void WritePartFile(const std::filesystem::path& file, const std::function<void(TTesselXMLWriter&)>& body);

// The same into memory, for parts that are composed at the end.
std::string WritePartString(const std::function<void(TTesselXMLWriter&)>& body, bool declaration = true);

}  // namespace verimo
