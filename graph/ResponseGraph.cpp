#include "graph/ResponseGraph.h"

#include <cstring>
#include <stdexcept>

#include "graph/GraphDescription.h"
#include "graph/GraphDrawing.h"
#include "graph/GridBitmap.h"
#include "graph/MarkerDrag.h"

namespace lyra {

namespace {
// The SelectedWay is -1 until the first selection; such a Way has nothing to draw over the grid.
bool IsWay(int way) {
  return way >= 0 && way < kWayCount;
}

std::span<const MarkerPosition, 6> MarkersOfWay(const std::array<MarkerPosition, 24>& markers,
                                                int way) {
  return std::span<const MarkerPosition, 6>(markers.data() + way * kBandsPerWay, 6);
}
}  // namespace

ResponseGraph::ResponseGraph(QWidget* box, PresetImage& image, ResponseCurves& curves,
                             const int& selectedWay)
    : image_(image),
      curves_(curves),
      selectedWay_(selectedWay),
      grid_(BuildGrid()),
      graphImage_(grid_.copy()),
      markers_(InitialMarkers()),
      surface_(new GraphSurface(box, graphImage_)) {
  surface_->setObjectName("Image5");
  surface_->setAccessibleName("Response graph");
  surface_->move(8, 12);
  surface_->pressed = [this](QPoint p) { Image5MouseDown(p.x(), p.y()); };
  surface_->moved = [this](QPoint p) { Image5MouseMove(p.x(), p.y()); };
  surface_->released = [this] { Image5MouseUp(); };
}

ResponseGraph::~ResponseGraph() {
  // The widget shows this object's image and calls back into it: it must not outlive it.
  delete surface_.data();
}

void ResponseGraph::RedrawBand(BandSlot slot, int type) {
  if (slot < 0 || slot >= kBandSlotCount) throw std::out_of_range("band slot");
  const EqBand& band = image_.band(slot);
  const int gain = type == kPeakingBand ? band.peqGain : band.shelfGain;
  MarkerPosition& marker = markers_[static_cast<std::size_t>(slot)];
  marker = BandMarker(band.frequency, gain);
  copyGrid();
  curves_.computeBandCurve(slot, type, band.q, marker);
  DrawWayCurve(selectedWay_, true);
  finishRedraw(selectedWay_);
}

void ResponseGraph::RedrawFilter(int way, FilterEdge edge, int code) {
  const WaySettings& settings = image_.ways.at(static_cast<std::size_t>(way));
  copyGrid();
  if (edge == FilterEdge::HighPass) {
    curves_.computeHighPassCurve(way, settings.hpfFrequency, code);
  } else {
    curves_.computeLowPassCurve(way, settings.lpfFrequency, code);
  }
  DrawWayCurve(selectedWay_, true);
  finishRedraw(way);
}

void ResponseGraph::ShowWay(int way) {
  copyGrid();
  DrawWayCurve(way, false);
  finishRedraw(way);
}

void ResponseGraph::Image5MouseDown(int x, int y) {
  const int way = selectedWay_;
  if (!IsWay(way)) return;
  const int row = MarkerRowAt(MarkersOfWay(markers_, way), x, y);
  if (row < 0) return;
  CurrentBandSlot = way * kBandsPerWay + row;
  dragging_ = true;
}

void ResponseGraph::Image5MouseMove(int x, int y) {
  if (!dragging_) return;
  const BandSlot slot = CurrentBandSlot;
  MarkerPosition& marker = markers_.at(static_cast<std::size_t>(slot));
  marker = DraggedMarker(marker, x, y);
  EqBand& band = image_.band(slot);
  band.frequency = static_cast<std::uint8_t>(DraggedFrequencyIndex(marker.x));
  const auto gain = static_cast<std::uint16_t>(DraggedGainIndex(marker.y));
  if (band.type == kPeakingBand) {
    band.peqGain = gain;
  } else {
    band.shelfGain = gain;
  }
  // RedrawBand copies the grid and puts the marker back on the snapped values. Every move sends,
  // whether or not an index changed.
  RedrawBand(slot, band.type);
  if (onBandChanged) onBandChanged(slot);
}

void ResponseGraph::Image5MouseUp() {
  dragging_ = false;
}

void ResponseGraph::copyGrid() {
  // Same size and format, and the graph image is never shared, so a plain copy of the bytes.
  std::memcpy(graphImage_.bits(), grid_.constBits(), static_cast<std::size_t>(grid_.sizeInBytes()));
}

void ResponseGraph::DrawWayCurve(int way, bool withBypass) {
  phaseDrawn_ = false;
  if (!IsWay(way)) return;
  if (withBypass && bypassed) {
    // A bypassed band counts flat until it is computed again.
    for (int row = 0; row < kBandsPerWay; ++row) {
      if (bypassed(row)) curves_.clearBandCurve(way * kBandsPerWay + row);
    }
  }
  ColumnTotals totals;
  for (int i = 0; i < kColumnCount; ++i) {
    totals[static_cast<std::size_t>(i)] = curves_.wayTotalDb(way, i);
  }
  DrawTotalCurve(graphImage_, totals);
  phaseDrawn_ = phaseOf && phaseOf(way, phaseDeg_);
  if (phaseDrawn_) DrawPhaseCurve(graphImage_, phaseDeg_);
}

void ResponseGraph::DrawMarkers(int way) {
  if (!IsWay(way)) return;
  lyra::DrawMarkers(graphImage_, MarkersOfWay(markers_, way));
}

void ResponseGraph::finishRedraw(int markerWay) {
  DrawMarkers(markerWay);
  if (!surface_) return;
  surface_->update();
  // A screen reader hears the bands the markers show.
  if (IsWay(markerWay)) {
    const QString words =
        QString::fromStdString(DescribeWay(image_, static_cast<Way>(markerWay), bypassed));
    if (words != surface_->accessibleDescription()) surface_->setAccessibleDescription(words);
  }
}

}  // namespace lyra
