#pragma once
// Catalogue files: solutes of one's own in the CSV dialect of csv_text.h,
// one record per line under the title line
//   Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5
// with the fields and units of SoluteRecord, optionally followed by
//   ,Tc,Pc,omega,kij
// the gas-phase constants of a solubility calculation (K, bar, 1, 1; each may
// be left empty, but Tc, Pc and omega go together), and then by
//   ,var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b
// the covariance of xi, a and b (1, (cm³/g)², ...; all six or none, and a
// positive semi-definite matrix).  A file is read whole or refused whole: the
// error names the line and the reason.
//
// A comment line directly above a record that starts with "# FORMULA: " is a
// note of that record (where its covariance came from, say): saving the
// record replaces its notes with it.

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
// The optional blocks of columns.
inline constexpr std::string_view kCatalogueGasColumns = "Tc,Pc,omega,kij";
inline constexpr std::string_view kCatalogueCovarianceColumns = "var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b";

// Which optional blocks of columns a text has.
struct CatalogueColumns {
    bool gas = false;
    bool covariance = false;
};

// The records of a catalogue text.  Throws CalcError(ErrorKind::FileError)
// with "line N: reason" for a missing or wrong title line, a missing or
// extra column, a field that is not a finite number, an empty formula or
// one with control characters, a formula given twice, and a covariance that
// is incomplete or not positive semi-definite (Covariance_Problem).
std::vector<CatalogueEntry> Read_Catalogue_Text(std::string_view text);

// Reads the file at `path`; errors start with the path.
std::vector<CatalogueEntry> Read_Catalogue_File(const std::string& path);

// The file a catalogue named on the command line or in Python stands for:
// `name` itself when a file of that name exists or it holds a '/'; else the
// catalogue shipped with the program in one of `folders` whose file is `name`
// or `name` + ".csv" ("guideline_refit"); else `name` as it is, so that
// reading it fails with an error naming what was given.
std::string Catalogue_Path(const std::string& name, std::span<const std::string> folders);

// The built-in solutes with those of the file at `path` added; a formula that
// is built in is replaced by the file's record, which keeps the built-in
// critical constants and k_ij where the file gives none.
Catalogue Load_Catalogue(const std::string& path);

// One record as a line of a catalogue file (no line end) with the optional
// `columns` (empty fields for what the record lacks); every number is written
// so that it reads back as the same double.
std::string Catalogue_Line(const CatalogueEntry& e, CatalogueColumns columns = {});

// The title line and one line per entry, each ending in '\n'; with the
// covariance columns when an entry has a covariance.
std::string Catalogue_Csv(std::span<const CatalogueEntry> entries);

// `text` (a catalogue text, possibly empty) with the record of `e.Formula`
// replaced by `e`, or `e` appended when the text has none; in the columns of
// the text's title line, to which the covariance columns are added (empty
// for the other records) when `e` has a covariance and the text has none.
// The record's notes are replaced by `note` (one line, none when empty).  All
// other lines, comments included, stay as they are.  Throws as
// Read_Catalogue_Text for a text that is not a valid catalogue.
std::string Catalogue_Text_With(std::string_view text, const CatalogueEntry& e, std::string_view note = {});

// Writes `e` into the catalogue file at `path` as Catalogue_Text_With does,
// creating the file when it does not exist.  The new text goes to a
// temporary file in the same folder that then replaces the old one, so the
// file is either the old or the new one, never a part of either.  Throws
// CalcError(ErrorKind::FileError).
void Save_Catalogue_Entry(const std::string& path, const CatalogueEntry& e, std::string_view note = {});

}  // namespace aqvis
