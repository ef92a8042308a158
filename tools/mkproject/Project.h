#pragma once
// mkproject's parts, one per kind of file it writes. Every part writes below
// the current directory (the project folder) through stored paths (CP932,
// backslashes), the form in which the player names its files. A part that
// cannot write throws std::runtime_error naming the file.
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/LoadContext.h"

class cDatabase;
class cPalette;

namespace mkproject {

// Writes a whole file at a stored path.
void WriteFile(std::string_view storedPath, const std::vector<std::uint8_t>& bytes);
// Saves a record file through its own Save; throws when the save fails.
void SaveRecordFile(std::string_view storedPath, bool saved);

// The ten databases: filled into `db` and written to data\database\.
void WriteDatabases(cDatabase& db, const cLoadContext& ctx);
void WriteSystemData(const cLoadContext& ctx);
void WriteWorldMap(const cLoadContext& ctx);
// The common palette: filled into `palette` and written.
void WriteCommonPalette(cPalette& palette, const cLoadContext& ctx);
void WriteStages(const cPalette& palette, const cLoadContext& ctx);
void WriteBitmaps();
// The blend tables of 8-bit mode, bmp\hbt\hbt00.dat to hbt23.dat: one for
// each palette variant the options offer.
void WriteBlendTables();
void WriteSounds();
void WriteMusic();
void WriteSystemIni();

}  // namespace mkproject
