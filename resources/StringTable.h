#pragma once

#include <algorithm>
#include <optional>
#include <span>

#include "core/WideString.h"

namespace verimo {

// The identifiers of the program's string table (34000-34819).
namespace res {
constexpr int kExportSourceNotAssigned = 34014;  // %s source kind name
constexpr int kExportSourceClosed = 34016;       // %s source kind name
constexpr int kExportSourceEmpty = 34017;        // %s source kind name
constexpr int kEmptyValueNotAllowed = 34018;
constexpr int kStopQuestionTitle = 34019;
constexpr int kStopQuestionText = 34020;
constexpr int kAccessNotStarted = 34024;
constexpr int kFolderNotCreated = 34025;  // %s folder

// The progress window's texts.
constexpr int kProgressCaption = 34491;
constexpr int kProgressStatusTitle = 34492;
constexpr int kProgressTimeTitle = 34493;
constexpr int kProgressSpeedTitle = 34494;
constexpr int kProgressPreparing = 34495;
constexpr int kProgressSkipping = 34496;
constexpr int kProgressFetching = 34497;
constexpr int kProgressExporting = 34498;
constexpr int kProgressPaused = 34499;
constexpr int kProgressAborted = 34500;
constexpr int kProgressFinished = 34501;
constexpr int kProgressSkippedTitle = 34502;
constexpr int kProgressFetchedTitle = 34503;
constexpr int kProgressExportedTitle = 34504;
constexpr int kProgressCancelButton = 34505;
constexpr int kProgressOkButton = 34506;
constexpr int kProgressSpeed = 34507;  // %d rows per second
constexpr int kProgressTimePattern = 34508;

// What a run changed to write the values (field, count and detail as %s).
constexpr int kLossDateOutOfRange = 34520;       // field, count
constexpr int kLossUnwritableCharacter = 34521;  // field, code page, count
constexpr int kLossForbiddenCharacter = 34522;   // field, format, count
constexpr int kLossNumberTooWide = 34523;        // field, field type, count
constexpr int kLossBlankAsFalse = 34524;         // field, count, written text
constexpr int kLossTextCut = 34525;              // field, count, width
constexpr int kLossCellTextCut = 34526;          // field, count, width
constexpr int kLossNotFinite = 34527;            // field, count
constexpr int kLossLoneSurrogate = 34528;        // field, count
constexpr int kLossOther = 34529;                // field, count
// The salvage report of a damaged table.
constexpr int kSalvageTitle = 34530;
constexpr int kSalvageMoreProblems = 34531;  // %d problems not shown
constexpr int kLossUnsettableCharacter = 34532;  // field, format, count
constexpr int kCountGroupSeparator = 34533;      // between groups of three digits in counts

constexpr int kDefaultSheetName = 34610;
constexpr int kDefaultTableName = 34656;

constexpr int kFirstIdent = 34000;
constexpr int kLastIdent = 34819;
}  // namespace res

// The string table's text for an identifier, or nothing.
std::optional<WideStringView> FindResourceString(int ident);

// One entry of a table of texts by identifier (the string table and its
// translations), kept sorted by identifier.
struct TResourceEntry {
  int ident;
  const char16_t* text;
};

constexpr bool IsSortedByIdent(std::span<const TResourceEntry> table) {
  return std::is_sorted(table.begin(), table.end(),
                        [](const TResourceEntry& a, const TResourceEntry& b) { return a.ident < b.ident; });
}

// The text of `ident` in a table sorted by identifier, or nothing.
std::optional<WideStringView> FindInResourceTable(std::span<const TResourceEntry> table, int ident);

}  // namespace verimo
