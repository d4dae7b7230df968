#pragma once

#include "explorer/listviewitems.h"

#include <QByteArray>

#include <array>
#include <optional>

// The file list's column widths as they are kept between runs: QSettings,
// user scope, organisation "SxExplorer", value "DirectoryCols", five
// little-endian 16-bit widths in column order, 0 meaning the default.
namespace TSxColumnWidths {
using Widths = std::array<int, TSxListColumn::Count>;

inline constexpr Widths Defaults{200, 50, 120, 120, 100};
inline constexpr char Organization[] = "SxExplorer";
inline constexpr char Key[] = "DirectoryCols";

QByteArray encode(const Widths& widths);
// No value when the bytes are not five widths.
std::optional<Widths> decode(const QByteArray& bytes);
// The stored widths; no value when nothing is stored or not in that form.
std::optional<Widths> read();
void write(const Widths& widths);
}
