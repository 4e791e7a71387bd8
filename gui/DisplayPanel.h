// The main window's top panel of display controls: contrast levels, Auto,
// Planet, Invert, Flip vert., 180°Rot., Flat corr., Gamma, Zoom, Blink and the
// frame slider. Each control forwards to the series' handler and then says
// `changed`, so the main window redraws; `sync` shows the series' state.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollBar;

namespace vargaze {

class Series;

class DisplayPanel : public QWidget {
  Q_OBJECT

 public:
  explicit DisplayPanel(Series& series, QWidget* parent = nullptr);

  // Shows the series' control state; `frameControls` false greys out what
  // would load a frame (while a run owns the frame buffer).
  void sync(bool frameControls);

  QScrollBar* upperBar() const { return upper_; }
  QScrollBar* lowerBar() const { return lower_; }
  QCheckBox* blinkBox() const { return blink_; }
  QScrollBar* frameSlider() const { return slider_; }
  QComboBox* zoomBox() const { return zoom_; }
  QCheckBox* flipBox() const { return flip_; }
  QCheckBox* flatBox() const { return flat_; }

 signals:
  void changed();
  // "Flat corr." was clicked; the flat command decides what follows.
  void flatClicked(bool checked);

 private:
  template <typename Handler>
  void forward(Handler handler);

  Series& series_;
  QScrollBar* upper_;
  QScrollBar* lower_;
  QLabel* upperValue_;
  QLabel* lowerValue_;
  QCheckBox* auto_;
  QCheckBox* planet_;
  QCheckBox* invert_;
  QCheckBox* flip_;
  QCheckBox* rot180_;
  QCheckBox* flat_;
  QComboBox* gamma_;
  QComboBox* zoom_;
  QCheckBox* blink_;
  QScrollBar* slider_;
};

}  // namespace vargaze
