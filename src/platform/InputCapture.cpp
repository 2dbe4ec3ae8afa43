#include "platform/InputCapture.h"

#include <QGuiApplication>

#include "platform/WindowInputCapture.h"
#include "platform/X11InputCapture.h"

namespace platform {

std::unique_ptr<InputCapture> InputCapture::ForThisDesktop() {
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    return std::make_unique<X11InputCapture>();
  return std::make_unique<WindowInputCapture>();
}

}  // namespace platform
