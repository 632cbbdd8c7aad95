#pragma once
// The response graph of the SelectedWay: the grid, the Way's total curve in red, its six band
// markers, and the dragging of a marker, which edits the band's frequency and gain.
//
// The window owns the PresetImage, the curve store and the SelectedWay; the graph owns its
// images, the marker positions and the drag. Sending a dragged band and showing its new values in
// the EQ panel belong to the editing side, which the graph reaches only through onBandChanged, and
// so does the rows' Bypass state, asked through bypassed.

#include <QImage>
#include <QPointer>
#include <array>
#include <functional>

#include "graph/GraphDrawing.h"
#include "graph/GraphSurface.h"
#include "response/PlotGeometry.h"
#include "response/ResponseCurves.h"
#include "preset/PresetImage.h"

namespace lyra {

enum class FilterEdge { HighPass, LowPass };

class ResponseGraph {
 public:
  // Builds the grid and shows it in Image5, placed at (8, 12) inside box. Markers start on their
  // grid lines; nothing is drawn over the grid until the first ShowWay or RedrawBand.
  ResponseGraph(QWidget* box, PresetImage& image, ResponseCurves& curves, const int& selectedWay);
  ~ResponseGraph();
  ResponseGraph(const ResponseGraph&) = delete;
  ResponseGraph& operator=(const ResponseGraph&) = delete;

  // Whether row 0..5 is bypassed. Unset: no row is bypassed.
  std::function<bool(int row)> bypassed;
  // Runs once for every pointer move of a drag, after the band's new frequency and gain are in
  // the image and drawn: the place to show them in the EQ panel and to send the band.
  std::function<void(BandSlot)> onBandChanged;
  // The phase to draw over a Way's total, in degrees at every column, asked on every redraw;
  // false (or unset): none is drawn. The window answers for the Main path while "Show phase" is
  // checked.
  std::function<bool(int way, ColumnTotals& phaseDeg)> phaseOf;

  // After any change of one band: its marker from the image, its curve recomputed (type as
  // stored: 0 "PEQ", 1 "LS", 2 "HS"), the SelectedWay's total with bypassed rows cleared, and
  // the markers.
  void RedrawBand(BandSlot slot, int type);
  // After a high-pass or low-pass edit of the Way: that filter's curve from the Way's cut-off
  // index and the type code 0..8, the total and the markers.
  void RedrawFilter(int way, FilterEdge edge, int code);
  // Another Way, or the same again: the stored curves as they are, nothing recomputed and no
  // bypassed row cleared.
  void ShowWay(int way);

  // Pointer handlers in image pixels (Image5 maps the pointer to them).
  void Image5MouseDown(int x, int y);
  void Image5MouseMove(int x, int y);
  void Image5MouseUp();

  // The band the last marker press took (the window's editing also sets it).
  BandSlot CurrentBandSlot = ToBandSlot(Way::Main, 0);
  bool dragging() const { return dragging_; }
  MarkerPosition marker(BandSlot slot) const { return markers_.at(static_cast<std::size_t>(slot)); }
  // What Image5 shows, at its own 720 x 249 pixels.
  const QImage& graphImage() const { return graphImage_; }
  GraphSurface* Image5() const { return surface_; }
  // The phase drawn by the last redraw, at every column; false when none was drawn.
  bool phaseDrawn() const { return phaseDrawn_; }
  const ColumnTotals& drawnPhaseDeg() const { return phaseDeg_; }

 private:
  void copyGrid();
  void DrawWayCurve(int way, bool withBypass);
  void DrawMarkers(int way);
  void finishRedraw(int markerWay);

  PresetImage& image_;
  ResponseCurves& curves_;
  const int& selectedWay_;
  const QImage grid_;
  QImage graphImage_;
  std::array<MarkerPosition, 24> markers_;
  bool dragging_ = false;
  bool phaseDrawn_ = false;
  ColumnTotals phaseDeg_{};
  QPointer<GraphSurface> surface_;
};

}  // namespace lyra
