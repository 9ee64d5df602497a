#pragma once
// Catalogue files: solutes of one's own in the CSV dialect of csv_text.h,
// one record per line under the title line
//   Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5
// with the fields and units of SoluteRecord, or under the longer title line
//   Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,Tc,Pc,omega,kij
// whose four last columns (K, bar, 1, 1) are the gas-phase constants of a
// solubility calculation; each of them may be left empty, but Tc, Pc and
// omega go together.  A file is read whole or refused whole: the error names
// the line and the reason.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "solute/catalogue.h"

namespace aqvis {

// The title line of a catalogue file (without line end).
inline constexpr std::string_view kCatalogueTitle = "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5";
inline constexpr std::string_view kCatalogueGasTitle =
    "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,Tc,Pc,omega,kij";

// The records of a catalogue text.  Throws CalcError(ErrorKind::FileError)
// with "line N: reason" for a missing or wrong title line, a missing or
// extra column, a field that is not a finite number, an empty formula or
// one with control characters, and a formula given twice.
std::vector<CatalogueEntry> Read_Catalogue_Text(std::string_view text);

// Reads the file at `path`; errors start with the path.
std::vector<CatalogueEntry> Read_Catalogue_File(const std::string& path);

// The built-in solutes with those of the file at `path` added; a formula that
// is built in is replaced by the file's record, which keeps the built-in
// critical constants and k_ij where the file gives none.
Catalogue Load_Catalogue(const std::string& path);

// One record as a line of a catalogue file (no line end); every number is
// written so that it reads back as the same double.  With `gas_columns` the
// line has the four columns of the longer title too.
std::string Catalogue_Line(const CatalogueEntry& e, bool gas_columns = false);

// The title line and one line per entry, each ending in '\n'.
std::string Catalogue_Csv(std::span<const CatalogueEntry> entries);

// `text` (a catalogue text, possibly empty) with the record of `e.Formula`
// replaced by `e`, or `e` appended when the text has none; in the columns of
// the text's title line.  All other lines,
// comments included, stay as they are.  Throws as Read_Catalogue_Text for a
// text that is not a valid catalogue.
std::string Catalogue_Text_With(std::string_view text, const CatalogueEntry& e);

// Writes `e` into the catalogue file at `path` as Catalogue_Text_With does,
// creating the file when it does not exist.  The new text goes to a
// temporary file in the same folder that then replaces the old one, so the
// file is either the old or the new one, never a part of either.  Throws
// CalcError(ErrorKind::FileError).
void Save_Catalogue_Entry(const std::string& path, const CatalogueEntry& e);

}  // namespace aqvis
