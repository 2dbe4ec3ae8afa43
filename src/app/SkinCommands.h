#pragma once

#include <QPointer>
#include <functional>

#include "app/FeatureHost.h"
#include "ui/CSkinFrame.h"

// The skin button: opens the background chooser under it.
class SkinCommands {
 public:
  explicit SkinCommands(FeatureHost& window);

  void Open();
  CSkinFrame* Frame() const { return frame_; }
  // The picture file dialog (tests put their own).
  void SetFileChooser(CSkinFrame::FileChooser chooser) { chooser_ = std::move(chooser); }

 private:
  FeatureHost& window_;
  CSkinFrame::FileChooser chooser_;
  QPointer<CSkinFrame> frame_;
};
