#pragma once

// Where a two-pane splitter's bar stands along its extent (the width of a side-by-side splitter,
// the height of a stacked one), kept proportional as the extent changes.
namespace corvane {

class SplitterLayout {
  public:
    static constexpr int kProportionScale = 10000;

    // The bar is the system's sizing frame plus an edge; each pane at least twice the system edge.
    void setMetrics(int sizingFrame, int systemEdge);
    void setBarEdge(int edge);
    // The extent changed: the bar keeps its proportional place.
    void resize(int extent);
    // In pixels from the start; -1 puts the bar in the middle. Kept inside the range.
    void setPosition(int position);

    int position() const { return position_; }
    int extent() const { return extent_; }
    int barThickness() const { return sizingFrame_ + barEdge_; }
    int minPane() const { return minPane_; }
    // Where pane 1 starts.
    int secondPaneStart() const { return position_ + barThickness(); }
    bool onBar(int coordinate) const { return coordinate >= position_ && coordinate < secondPaneStart(); }

  private:
    int clamped(int position) const;

    int extent_ = 0;
    int position_ = 0;
    int proportion_ = kProportionScale / 2;  // ten-thousandths of the extent
    int sizingFrame_ = 4;
    int barEdge_ = 0;
    int minPane_ = 4;
};

}  // namespace corvane
