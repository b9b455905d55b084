#pragma once

class ParameterTable;

// The zoom steps of the HTML view: "表示倍率＋" multiplies the factor by 1.1,
// "表示倍率－" by 0.9. Unless the zoom is fixed ("ZoomFixed" "1"), the new
// factor in percent, cut to an integer, is stored in "ZOOM".
namespace HtmlZoom {

[[nodiscard]] double zoomIn(double factor);
[[nodiscard]] double zoomOut(double factor);
// The percent value stored for a factor (0.77 -> 77). Values such as 0.63,
// which binary arithmetic gives as 0.62999..., count as 63.
[[nodiscard]] int percentOf(double factor);
// Writes percentOf(factor) to "ZOOM" unless zoomFixed.
void storeZoom(ParameterTable& parameters, bool zoomFixed, double factor);

} // namespace HtmlZoom
