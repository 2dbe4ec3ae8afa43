#include "app/ShellMessages.h"

#include "platform/WindowMessages.h"

namespace {

ShellMessages& Mutable() {
  static ShellMessages messages;
  return messages;
}

}  // namespace

uint32_t ShellMessages::RegisterInstanceMessage() {
  Mutable().InstanceMessage = platform::RegisterMessageName(kInstanceName);
  return Mutable().InstanceMessage;
}

void ShellMessages::RegisterShellMessages() {
  ShellMessages& m = Mutable();
  m.ForwardMessage = platform::RegisterMessageName(kForwardName);
  m.LightControlNotice = platform::RegisterMessageName(kLightControlNoticeName);
  m.LightControlRequest = platform::RegisterMessageName(kLightControlRequestName);
  m.ToolQueryMessage = platform::RegisterMessageName(kToolQueryName);
  m.AudioRecordMessage = platform::RegisterMessageName(kAudioRecordName);
  for (size_t i = 0; i < kMainWindowNames.size(); ++i)
    m.MainWindowList[i] = platform::RegisterMessageName(kMainWindowNames[i]);
}

const ShellMessages& ShellMessages::Get() { return Mutable(); }
