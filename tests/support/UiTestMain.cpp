#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "platform/ThreadRole.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Tests never need a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QLocale::setDefault(QLocale::c());
  // The test thread is the UI thread: a device exchange or pause on it fails
  // the test that caused it.
  platform::MarkUiThread();
  platform::SetUiThreadWorkHandler(
      [](const char* what) { ADD_FAILURE() << what << " on the UI thread"; });
  return RUN_ALL_TESTS();
}
