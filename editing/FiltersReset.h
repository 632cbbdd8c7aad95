#pragma once
// "Filters reset": the six bands of the SelectedWay back to 0.0 dB, sent as six band frames while
// the wait box shows how many of them the SendPump has written.
//
// Frequency, Q, type and the gain of the other type stay as they are. The editing areas are
// disabled until the sixth slot frame is out, so that no other edit joins the queue meanwhile; a
// disconnect hides the wait box and enables the areas again, and the next connect forgets the
// progress (reset()). A decoded block that makes the image equal the device's clears the pending
// frames; the reset ends there too (slotsCleared()), as the rest of its frames will never go out.

#include <QProgressBar>
#include <vector>

#include "editing/EditingContext.h"
#include "editing/EqualizerEditing.h"
#include "editing/EqualizerPanel.h"

namespace lyra {

class FiltersReset {
 public:
  struct WaitBox {
    QWidget* box;  // RzGroupBox1, "Please wait,doing data exchange."
    QProgressBar* progress;
    std::vector<QWidget*> disabledWhileRunning;  // RzGroupBox8, GroupBox2, GroupBox3, RzGroupBox12
  };

  FiltersReset(EditingContext& context, EqualizerPanel& panel, EqualizerEditing& equalizer,
               WaitBox waitBox);

  void RzButton97Click();
  // The SendPump wrote a slot frame.
  void slotWritten();
  // The SendPump forgot every pending slot.
  void slotsCleared();
  // On connect: no reset is in progress any more.
  void reset();

  bool running() const { return running_; }
  int count() const { return count_; }

  static constexpr int kFrames = 6;
  static constexpr int kPercentPerFrame = 16;

 private:
  void finish();

  EditingContext& c_;
  EqualizerPanel& panel_;
  EqualizerEditing& equalizer_;
  WaitBox wait_;
  bool running_ = false;
  int count_ = 0;
};

}  // namespace lyra
